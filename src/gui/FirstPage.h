#pragma once
// The first page: the port list and the connect button, the firmware version,
// and the about panel with the maker's logo, web and mail links and the two
// language flags.

#include "gui/AboutLinks.h"
#include "gui/ShownPage.h"
#include "gui/WindowLanguage.h"
#include <QWidget>
#include <memory>
#include <utility>

class ErrorReport;
class GatewaySession;
class QLabel;

namespace Ui {
class TabSheet1;
}

class FirstPage : public QWidget, public ShownPage
{
    Q_OBJECT
public:
    FirstPage(GatewaySession &session, const ErrorReport &report, const WindowLanguage &language, const QString &portsFolder,
              QWidget *parent = nullptr);
    ~FirstPage() override;

    // Refreshes the port list while offline and selects its first port.
    void shown() override;
    // Opens the chosen port, or closes the open link.
    void connectButtonClicked();
    // The port list and the button as an open or a closed link has them.
    void showLinkOpen(bool open);
    void refreshCaptions();
    void showVersion(const QString &version);
    void setTitle(const QString &title);
    void focusConnectButton();
    // Stands in for the desktop when a link is followed (tests hand in theirs);
    // empty opens with the desktop.
    void setAddressOpener(AddressOpener opener) { m_opener = std::move(opener); }

signals:
    void linkOpened(const QString &portName, const QString &device);
    void disconnectRequested();
    void languageChosen(int language);
    void monitorToggleRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setupAbout();
    void openWebAddress();
    void openMailAddress();
    bool openAddress(const QString &address) const;
    void showLinkHovered(QObject *link, bool hovered);

    GatewaySession &m_session;
    const ErrorReport &m_report;
    const WindowLanguage &m_language;
    QString m_portsFolder;
    AddressOpener m_opener;
    std::unique_ptr<Ui::TabSheet1> m_ui;
};
