#pragma once
// The interface page: baud rate and character format of the gateway's RS232
// and RS485 sides, on firmware that has them.

#include "core/Records.h"

#include "gui/LazyPage.h"
#include "gui/WindowLanguage.h"

#include <QWidget>
#include <array>
#include <memory>

class ErrorReport;
class GatewaySession;
class RadioGroup;
class RecordPanel;

namespace Ui {
class TabSheetInterface;
}

class InterfacePage : public LazyPage
{
    Q_OBJECT
public:
    InterfacePage(GatewaySession &session, const ErrorReport &report, const WindowLanguage &language, QWidget *parent = nullptr);
    ~InterfacePage() override;

    void shown() override;
    void refreshCaptions();

protected:
    void build() override;
    void catchUp() override;

private:
    // The four groups, in the order of the interface record's fields.
    std::array<RadioGroup *, 4> groups() const;
    void storeChoice(const QString &key, int index);
    // The interface record with the groups' choices in it.
    Record shownRecord(const WorkingFile::Snapshot &stored) const;
    void recordStored(const Record &record, bool duringRun);

    GatewaySession &m_session;
    const ErrorReport &m_report;
    const WindowLanguage &m_language;
    std::unique_ptr<Ui::TabSheetInterface> m_ui;
    std::unique_ptr<RecordPanel> m_panel;
    bool m_loading = false;
    bool m_showingRecord = false;
    bool m_missingStored = false;
};
