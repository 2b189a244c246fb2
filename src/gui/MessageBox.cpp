#include "gui/MessageBox.h"

#include "texts/Texts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace {

QStyle::StandardPixmap standardPixmapOf(QMessageBox::Icon icon)
{
    switch (icon) {
    case QMessageBox::Warning:
        return QStyle::SP_MessageBoxWarning;
    case QMessageBox::Critical:
        return QStyle::SP_MessageBoxCritical;
    case QMessageBox::Question:
        return QStyle::SP_MessageBoxQuestion;
    default:
        return QStyle::SP_MessageBoxInformation;
    }
}

// The summary line with the message's icon beside it, the other lines in a
// read-only view that scrolls, and the OK button.
std::unique_ptr<QDialog> makeListBox(QMessageBox::Icon icon, const QStringList &lines, QWidget *parent)
{
    auto dialog = std::make_unique<QDialog>(parent);
    dialog->setObjectName(QStringLiteral("ListMessage"));
    dialog->setWindowTitle(QString::fromUtf8(AppCaption));

    auto *top = new QHBoxLayout;
    auto *iconLabel = new QLabel(dialog.get());
    const int side = dialog->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, dialog.get());
    if (icon != QMessageBox::NoIcon)
        iconLabel->setPixmap(dialog->style()->standardIcon(standardPixmapOf(icon), nullptr, dialog.get()).pixmap(side));
    iconLabel->setAlignment(Qt::AlignTop);
    top->addWidget(iconLabel, 0);
    auto *summary = new QLabel(lines.constFirst(), dialog.get());
    summary->setObjectName(QStringLiteral("ListMessageSummary"));
    summary->setWordWrap(true);
    summary->setTextFormat(Qt::PlainText);
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    top->addWidget(summary, 1);

    auto *details = new QPlainTextEdit(dialog.get());
    details->setObjectName(QStringLiteral("ListMessageDetails"));
    details->setReadOnly(true);
    details->setLineWrapMode(QPlainTextEdit::NoWrap);
    details->setPlainText(lines.mid(1).join(u'\n'));
    // Read from its first line, named by the summary for a screen reader.
    details->moveCursor(QTextCursor::Start);
    details->setAccessibleName(lines.constFirst());

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dialog.get());
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog.get(), &QDialog::accept);

    auto *layout = new QVBoxLayout(dialog.get());
    layout->addLayout(top);
    layout->addWidget(details, 1);
    layout->addWidget(buttons);

    // Room for about twenty lines of the list, never more than the screen
    // has: the button stays in reach on a 1024 x 768 screen.
    QSize size(600, 480);
    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    dialog->resize(size);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->button(QDialogButtonBox::Ok)->setFocus();
    return dialog;
}

} // namespace

std::unique_ptr<QDialog> MakeMessageBox(QMessageBox::Icon icon, const QString &text, QWidget *parent)
{
    const QStringList lines = text.split(u'\n');
    if (lines.size() > MessageBoxLines)
        return makeListBox(icon, lines, parent);
    return std::make_unique<QMessageBox>(icon, QString::fromUtf8(AppCaption), text, QMessageBox::Ok, parent);
}
