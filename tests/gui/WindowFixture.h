#pragma once
// The one set-up of the window tests: a temporary program folder, the real
// main window on the offscreen platform with a recording port in place of the
// serial port, and the error reports collected instead of shown.

#include "ReplyBuilders.h"

#include "core/IniFile.h"
#include "core/RecordingPort.h"
#include "gui/ErrorReport.h"
#include "gui/FirstPage.h"
#include "gui/MainWindow.h"
#include "gui/PageControl.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

struct WindowFixture
{
    QTemporaryDir dir;
    QStringList errors;
    RecordingPort *port = nullptr;
    std::unique_ptr<MainWindow> window;

    ~WindowFixture() { window.reset(); }

    QString folder() const { return dir.path() + u'/'; }
    QString iniPath() const { return dir.filePath(QStringLiteral("Velmora.ini")); }

    void writeIni(const QByteArray &bytes) const
    {
        QFile file(iniPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray iniBytes() const
    {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString stored(const char *section, const char *key) const
    {
        return ReadIniValue(window ? window->workingFile().path() : iniPath(), QLatin1String(section),
                            QLatin1String(key), QStringLiteral("<missing>"));
    }

    // Marks the working file as completely read from firmware `version`
    // ("311" for 3.11): a write-all to that gateway then sends it as it
    // stands, without comparing it with the gateway first.
    void markReadFrom(const QByteArray &version) const
    {
        QFile file(window ? window->workingFile().path() : iniPath());
        QVERIFY(file.open(QIODevice::ReadWrite | QIODevice::Append));
        const bool lineEnded = file.size() == 0 || (file.seek(file.size() - 1) && file.read(1) == "\n");
        file.write((lineEnded ? QByteArray() : QByteArray("\r\n")) + "[SOURCE]\r\nFirmware=" + version.left(1) + '.'
                   + version.mid(1) + "\r\nComplete=yes\r\n");
    }

    // Builds the window on the folder as it is and shows it (first-show
    // start-up: the default file, the language, the port list). A window
    // already there is closed first, as when the program is started again.
    // `programFolder` replaces the temporary folder (e.g. one that is missing).
    static constexpr int ReplyTimeoutMs = 400;

    void start(bool show = true, const QString &programFolder = QString())
    {
        window.reset();
        auto recording = std::make_unique<RecordingPort>();
        port = recording.get();
        window = std::make_unique<MainWindow>(programFolder.isEmpty() ? folder() : programFolder,
                                              std::move(recording));
        window->setErrorReporter([this](const QString &text) { errors << text; });
        // The recording port answers at once: a missing reply needs no
        // three seconds to be noticed.
        window->session().run().setReplyTimeout(ReplyTimeoutMs);
        if (show) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        }
    }

    // Makes the window the active one, so that focus moves between its
    // controls as the user moves it (fields store their text on leaving).
    void activate()
    {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    // Shows `page` as a tab click does, also when it is the current one.
    void showPage(QWidget *page)
    {
        window->pageControl()->setCurrentWidget(window->firstPage());
        window->pageControl()->setCurrentWidget(page);
    }

    template <class T = QWidget>
    T *child(const char *name) const
    {
        return child<T>(QLatin1String(name));
    }
    template <class T = QWidget>
    T *child(const QString &name) const
    {
        T *found = window->findChild<T *>(name);
        if (!found)
            qWarning("no control %s", qPrintable(name));
        return found;
    }

    // Connects through COM3 (a stand-in device) and answers the poll, so the
    // link is online and the editor pages are shown.
    void connectToCom3();
    void goOnline(const QByteArray &version = QByteArray());
};

#include <QComboBox>
#include <QPushButton>

inline void WindowFixture::connectToCom3()
{
    auto *list = child<QComboBox>("cb_COM_Port");
    list->clear();
    list->addItem(QStringLiteral("COM3"), QStringLiteral("/dev/pts/77"));
    list->setCurrentIndex(0);
    QTest::mouseClick(child<QPushButton>("Button1"), Qt::LeftButton);
}

inline void WindowFixture::goOnline(const QByteArray &version)
{
    connectToCom3();
    port->reply(PollReply());
    if (!version.isEmpty())
        port->reply("cV" + version);
}
