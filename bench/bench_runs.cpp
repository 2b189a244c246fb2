// A read-all and a write-all run of 46 requests against the gateway
// simulator paced at 9600 baud, through the tool's real serial link: wall
// time against the wire time of the bytes exchanged (10 bits a byte).

#include "link/F_FormVerbindung.h"
#include "shell/F_FormMain.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>

namespace {
// Bytes on the wire from the monitor log: every logged line plus CR LF.
qint64 loggedBytes(QPlainTextEdit *memo)
{
    qint64 bytes = 0;
    const QStringList lines = memo->toPlainText().split(u'\n');
    for (const QString &line : lines) {
        const int hash = line.indexOf(QStringLiteral(" # "));
        if (hash > 0)
            bytes += line.size() - hash - 3 + 2;
    }
    return bytes;
}

bool waitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    return done();
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QProcess sim;
    sim.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../gateway-sim"),
              {"--ports-dir", dir.filePath("ports"), "--name", "COM5", "--pace"});
    if (!sim.waitForReadyRead(10000)) {
        std::fprintf(stderr, "simulator did not start\n");
        return 1;
    }
    TFormMain form(dir.path() + u'/');
    TFormVerbindung link(&form);
    form.SetFormVerbindung(&link);
    form.show();
    auto *list = form.findChild<QComboBox *>("cb_COM_Port");
    list->setCurrentIndex(list->findText("COM5"));
    QTest::mouseClick(form.findChild<QPushButton *>("Button1"), Qt::LeftButton);
    if (!waitFor([&] { return form.VersionText == QLatin1String("3.11"); }, 10000)) {
        std::fprintf(stderr, "no connection\n");
        return 1;
    }
    form.ImageDblClick(); // the monitor log counts the bytes
    auto *memo = form.findChild<QPlainTextEdit *>("MemoDebug");
    auto *light = form.findChild<QWidget *>("StatusLightDrucker");
    for (const char *button : {"ButtonAlleDatenLesen", "ButtonAlleDatenSchreiben"}) {
        memo->clear();
        light->setProperty("lit", true);
        QElapsedTimer t;
        t.start();
        QTest::mouseClick(form.findChild<QPushButton *>(button), Qt::LeftButton);
        // The run is over when the printer reply (its last) has been handled.
        if (!waitFor([&] { return !light->property("lit").toBool(); }, 30000)) {
            std::fprintf(stderr, "run did not finish\n");
            return 1;
        }
        const double wall = t.nsecsElapsed() / 1e9;
        const double wire = loggedBytes(memo) * 10.0 / 9600.0;
        const char *name = QByteArray(button).contains("Lesen") ? "read_all" : "write_all";
        std::printf("runs.%s.wall_s %.3f wire_s %.3f ratio %.3f (target <= 1.05)\n", name, wall, wire,
                    wall / wire);
    }
    sim.terminate();
    sim.waitForFinished(3000);
    return 0;
}
