#pragma once
// The printer page: the receipt printer's model and header line.

#include "core/Records.h"

#include "gui/LazyPage.h"
#include "gui/WindowLanguage.h"

#include <QWidget>
#include <memory>

class ErrorReport;
class GatewaySession;
class RecordPanel;

namespace Ui {
class TabSheet4;
}

class PrinterPage : public LazyPage
{
    Q_OBJECT
public:
    PrinterPage(GatewaySession &session, const ErrorReport &report, const WindowLanguage &language, QWidget *parent = nullptr);
    ~PrinterPage() override;

    void shown() override;
    void refreshCaptions();

protected:
    void build() override;
    void catchUp() override;

private:
    void storeModel();
    void storeHeader();
    // The printer record with the shown model and header in it; a page left
    // empty by a failed load is loaded first, unless the header was typed since.
    Record shownRecord(const WorkingFile::Snapshot &stored);
    void recordStored(const Record &record, bool duringRun);

    GatewaySession &m_session;
    const ErrorReport &m_report;
    const WindowLanguage &m_language;
    std::unique_ptr<Ui::TabSheet4> m_ui;
    std::unique_ptr<RecordPanel> m_panel;
    bool m_stale = false;
};
