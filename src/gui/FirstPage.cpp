#include "gui/FirstPage.h"

#include "core/Errors.h"
#include "core/GatewaySession.h"
#include "texts/ReasonTexts.h"
#include "texts/Texts.h"
#include "gui/AboutLinks.h"
#include "gui/ErrorReport.h"
#include "gui/Fonts.h"
#include "gui/JpegImage.h"
#include "gui/LabelButton.h"
#include "gui/PortList.h"

#include "ui_TabSheet1.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>

namespace {

// The hand cursor is pushed once and popped once, so that moving from one
// link straight onto the other keeps it and other override cursors survive.
bool handCursorShown = false;

void showHandCursor(bool show)
{
    if (show == handCursorShown)
        return;
    handCursorShown = show;
    if (show)
        QApplication::setOverrideCursor(Qt::PointingHandCursor);
    else
        QApplication::restoreOverrideCursor();
}

// A press that opens the port list's drop-down: the list is read again
// first, so that new ports are in the popup.
bool opensPopup(QComboBox *box, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress)
        return static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    switch (key->key()) {
    case Qt::Key_F4:
        return key->modifiers() == Qt::NoModifier;
    case Qt::Key_Up:
    case Qt::Key_Down:
        return key->modifiers() & Qt::AltModifier;
    case Qt::Key_Space:
        return !box->isEditable();
    default:
        return false;
    }
}

void showPicture(QLabel *label, const char *resource, bool sizeToContent)
{
    const QImage image = LoadJpeg(QString::fromLatin1(resource));
    if (image.isNull())
        return; // a damaged picture leaves its place empty
    label->setPixmap(QPixmap::fromImage(image));
    if (sizeToContent)
        label->resize(image.size());
}

} // namespace

FirstPage::FirstPage(GatewaySession &session, const ErrorReport &report, const WindowLanguage &language, const QString &portsFolder,
                     QWidget *parent)
    : QWidget(parent), m_session(session), m_report(report), m_language(language), m_portsFolder(portsFolder),
      m_ui(std::make_unique<Ui::TabSheet1>())
{
    setFont(PageFont(11));
    m_ui->setupUi(this);
    m_ui->LabelTitel->setFont(PageFont(12, true));
    SetTextColour(m_ui->LabelTitel, QColor(188, 207, 19));
    for (QLabel *link : {m_ui->LabelUrl, m_ui->LabelMailto}) {
        QFont font = PageFont(11);
        font.setUnderline(true);
        link->setFont(font);
        SetTextColour(link, Qt::blue);
    }
    SetTextColour(m_ui->Label8, DarkShadow);
    SetTextColour(m_ui->lVERSION, DarkShadow);

    connect(m_ui->Button1, &QPushButton::clicked, this, Guarded(m_report, [this] { connectButtonClicked(); }));
    m_ui->cb_COM_Port->installEventFilter(this);
    setupAbout();
}

FirstPage::~FirstPage()
{
    // A page closed under the mouse gets no leave event.
    showHandCursor(false);
}

void FirstPage::setupAbout()
{
    // The resources sit in a static library: without this call the linker
    // drops them.
    Q_INIT_RESOURCE(pictures);
    showPicture(m_ui->Image, ":/pictures/logo.jpg", true);
    showPicture(m_ui->Image1, ":/pictures/flag_de.jpg", false);
    showPicture(m_ui->Image2, ":/pictures/flag_gb.jpg", false);
    for (QLabel *label : std::initializer_list<QLabel *>{m_ui->Image, m_ui->LabelUrl, m_ui->LabelMailto})
        label->installEventFilter(this);
    // The maker's logo is named by the maker, the same in both languages.
    m_ui->Image->setAccessibleName(QStringLiteral("Logo Beispiel Zapftechnik GmbH"));
    // Each flag is named in its own language, as language choosers are.
    m_ui->Image1->setAccessibleName(QStringLiteral("Deutsch"));
    m_ui->Image2->setAccessibleName(QStringLiteral("English"));
    connect(m_ui->LabelUrl, &LabelButton::clicked, this, Guarded(m_report, [this] { openWebAddress(); }));
    connect(m_ui->LabelMailto, &LabelButton::clicked, this, Guarded(m_report, [this] { openMailAddress(); }));
    connect(m_ui->Image1, &LabelButton::clicked, this, [this] { emit languageChosen(0); });
    connect(m_ui->Image2, &LabelButton::clicked, this, [this] { emit languageChosen(1); });
}

bool FirstPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->cb_COM_Port) {
        // Disabled while the link is open: the open port's entry must not move.
        if (opensPopup(m_ui->cb_COM_Port, event) && m_ui->cb_COM_Port->isEnabled())
            RunGuarded(m_report, [this] { ListSerialPorts(m_ui->cb_COM_Port, m_portsFolder); });
        return false;
    }
    if (watched == m_ui->Image) {
        if (event->type() != QEvent::MouseButtonDblClick)
            return false;
        emit monitorToggleRequested();
        return true;
    }
    if (event->type() == QEvent::Enter)
        RunGuarded(m_report, [&] { showLinkHovered(watched, true); });
    else if (event->type() == QEvent::Leave)
        RunGuarded(m_report, [&] { showLinkHovered(watched, false); });
    return false;
}

void FirstPage::shown()
{
    QComboBox *box = m_ui->cb_COM_Port;
    if (!box->isEnabled())
        return;
    ListSerialPorts(box, m_portsFolder);
    if (box->count() > 0)
        box->setCurrentIndex(0);
}

void FirstPage::connectButtonClicked()
{
    if (m_session.isOpen()) {
        emit disconnectRequested();
        return;
    }
    const QString portName = m_ui->cb_COM_Port->currentText();
    QString digits = portName;
    const qsizetype com = digits.indexOf(QLatin1String("COM"));
    if (com >= 0)
        digits.remove(com, 3);
    bool ok = false;
    const int number = digits.toInt(&ok);
    if (!ok)
        throw NumberError(digits);

    const QString name = QStringLiteral("COM%1").arg(number);
    const int index = m_ui->cb_COM_Port->findText(name, Qt::MatchFixedString);
    const QString device = index >= 0 ? m_ui->cb_COM_Port->itemData(index, Qt::UserRole).toString() : QString();
    PortFailure failure;
    if (!m_session.connectTo(device, &failure)) {
        const Language language = m_language.current();
        QString text = CaptionText(Caption::CannotOpenPort, language);
        if (const QString reason = PortFailureReason(failure, language); !reason.isEmpty())
            text += QStringLiteral("\n\n") + name + QStringLiteral(": ") + reason;
        if (failure.isPermissionError())
            text += QStringLiteral("\n\n") + PermissionHintText(language);
        QMessageBox box(QMessageBox::Information, QString::fromUtf8(AppCaption), text, QMessageBox::Ok, window());
        box.setObjectName(QStringLiteral("OpenPortFailed"));
        box.exec();
        return;
    }
    emit linkOpened(portName, device);
    showLinkOpen(true);
}

void FirstPage::showLinkOpen(bool open)
{
    m_ui->cb_COM_Port->setEnabled(!open);
    m_ui->Button1->setText(CaptionText(open ? Caption::Disconnect : Caption::Connect, m_language.current()));
}

void FirstPage::refreshCaptions()
{
    m_ui->Button1->setText(CaptionText(m_session.isOpen() ? Caption::Disconnect : Caption::Connect, m_language.current()));
}

void FirstPage::showVersion(const QString &version)
{
    m_ui->lVERSION->setText(version);
}

void FirstPage::focusConnectButton()
{
    m_ui->Button1->setFocus();
}

void FirstPage::setTitle(const QString &title)
{
    m_ui->LabelTitel->setText(title);
}

bool FirstPage::openAddress(const QString &address) const
{
    return m_opener ? m_opener(address) : OpenAddress(address);
}

void FirstPage::openWebAddress()
{
    try {
        openAddress(m_ui->LabelUrl->text());
    } catch (...) {
        // A web address that does not open is not reported.
    }
}

void FirstPage::openMailAddress()
{
    bool opened = false;
    try {
        opened = openAddress(MailTarget(m_ui->LabelMailto->text()));
    } catch (...) {
        opened = false;
    }
    if (opened)
        return;
    // English in both languages, a plain box without icon.
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(AppCaption), QStringLiteral("No mail program installed!"),
                    QMessageBox::Ok, window());
    box.setObjectName(QStringLiteral("NoMailProgram"));
    box.exec();
}

void FirstPage::showLinkHovered(QObject *link, bool hovered)
{
    showHandCursor(hovered);
    auto *label = qobject_cast<QLabel *>(link);
    if (!label)
        return;
    QFont font = label->font();
    font.setBold(hovered);
    font.setUnderline(true);
    label->setFont(font);
}
