#include "gui/Language.h"

#include "gui/QtTranslations.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

namespace {

void applyCaption(QObject *object, Language language)
{
    const int tag = object->property("tag").toInt();
    if (tag == 0)
        return;
    const QString text = TaggedCaptionText(tag, language);
    if (text.isEmpty())
        return;
    if (auto *label = qobject_cast<QLabel *>(object))
        label->setText(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(object))
        button->setText(text);
    else if (auto *group = qobject_cast<QGroupBox *>(object))
        group->setTitle(text);
    else if (auto *action = qobject_cast<QAction *>(object))
        action->setText(text);
}

} // namespace

void ApplyLanguage(QObject *form, Language language)
{
    // The window itself keeps its caption; every control in it is visited.
    const QList<QObject *> children = form->findChildren<QObject *>();
    for (QObject *child : children)
        applyCaption(child, language);
}

void ApplyLanguage(Language language)
{
    // Dialogs of Qt's own (quit question, file dialogs) speak the same language.
    UseQtTranslations(IndexOfLanguage(language));
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows)
        ApplyLanguage(window, language);
}
