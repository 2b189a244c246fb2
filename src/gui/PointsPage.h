#pragma once
// The dispensing-point page: quality and EDV number of each point of one
// terminal address, and the product group (quality and name of one product),
// each with its read and write buttons and status light.

#include "core/Records.h"

#include "gui/LazyPage.h"
#include "gui/WindowLanguage.h"

#include <QWidget>
#include <memory>
#include <optional>

class ErrorReport;
class GatewaySession;
class QComboBox;

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
    void readPointsClicked();
    void writePointsClicked();
    void readProductClicked();
    void writeProductClicked();
    void recordStored(const Record &record, bool duringRun);
    int shownAddress() const;
    // Checks the record and sends its write request, or shows why not.
    void sendWrite(const WorkingFile::Snapshot &stored, const Record &record, std::optional<RecordId> &pending);

    GatewaySession &m_session;
    const ErrorReport &m_report;
    const WindowLanguage &m_language;
    std::unique_ptr<Ui::TabSheet2> m_ui;
    // Set when the name field's text changes; cleared once stored.
    bool m_nameEdited = false;
    bool m_nameTyped = false;
    // Set while a part shows no values because its last load failed.
    bool m_pointsStale = false;
    bool m_productStale = false;
    // The address and product shown.
    int m_address = 0;
    int m_product = 1;
    // The page's requests awaiting their answer.
    std::optional<RecordId> m_pendingPoints;
    std::optional<RecordId> m_pendingProduct;
    // Set by the first version reply; until then all ten rows are shown.
    bool m_firmwareKnown = false;
};
