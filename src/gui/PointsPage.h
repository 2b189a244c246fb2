#pragma once
// The dispensing-point page: quality and EDV number of each point of one
// terminal address, and the product group (quality and name of one product),
// each with its read and write buttons and status light.

#include "core/Records.h"

#include "gui/LazyPage.h"
#include "gui/WindowLanguage.h"

#include <QWidget>
#include <memory>

class ErrorReport;
class GatewaySession;
class QComboBox;
class RecordPanel;

namespace Ui {
class TabSheet2;
}

class PointsPage : public LazyPage
{
    Q_OBJECT
public:
    PointsPage(GatewaySession &session, const ErrorReport &report, const WindowLanguage &language, QWidget *parent = nullptr);
    ~PointsPage() override;

    void shown() override;
    void refreshCaptions();
    // Shows the rows and moves the buttons as the gateway's firmware has
    // them (the version reply); until it came, all ten rows are shown.
    void applyFirmwareLayout();

    // Shows the values stored for terminal address `address`, then the
    // product group.
    void loadAddress(int address);
    void loadProductGroup();
    // The arrows: the next or previous address or product, wrapping around.
    void stepAddress(bool next);
    void stepProduct(bool next);
    // The quality or EDV list of dispensing point 1..10.
    QComboBox *pointList(int point, bool edv);

protected:
    void build() override;
    void catchUp() override;

private:
    void layOutRows();
    void storePointChoice(int point, bool edv);
    void storeProductQuality();
    void storeProductName();
    void storePendingName();
    void clearProductGroup();
    // The records the page would send: the stored ones with the shown
    // values in them.
    Record shownPoints(const WorkingFile::Snapshot &stored);
    Record shownProduct(const WorkingFile::Snapshot &stored);
    void recordStored(const Record &record, bool duringRun);
    int shownAddress() const;

    GatewaySession &m_session;
    const ErrorReport &m_report;
    const WindowLanguage &m_language;
    std::unique_ptr<Ui::TabSheet2> m_ui;
    // The read and write buttons and the light of each part.
    std::unique_ptr<RecordPanel> m_pointsPanel;
    std::unique_ptr<RecordPanel> m_productPanel;
    // Set when the name field's text changes; cleared once stored.
    bool m_nameEdited = false;
    bool m_nameTyped = false;
    // Set while a part shows no values because its last load failed.
    bool m_pointsStale = false;
    bool m_productStale = false;
    // The address and product shown.
    int m_address = 0;
    int m_product = 1;
    // Set by the first version reply; until then all ten rows are shown.
    bool m_firmwareKnown = false;
};
