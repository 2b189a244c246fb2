#pragma once
// The read and write buttons of one record on a page, and the status light
// beside them: a read or write lights the light and sends its request, and
// the answer to the panel's own request puts the light out. A write sends
// only a record that fits its fields, from a working file that holds the
// gateway's settings at all; otherwise the user is told why nothing was sent.

#include "core/Records.h"
#include "core/WorkingFile.h"

#include <functional>
#include <optional>

class ErrorReport;
class GatewaySession;
class StatusLight;
class WindowLanguage;

class RecordPanel
{
public:
    // The record the page would send: the stored one with the shown values in it.
    using ShownRecord = std::function<Record(const WorkingFile::Snapshot &stored)>;

    RecordPanel(GatewaySession &session, const ErrorReport &report, const WindowLanguage &language,
                StatusLight *light);

    // Lights the light and asks the gateway for record `id`.
    void read(const RecordId &id);
    // Lights the light, then sends the record `shown` makes of the file once
    // it is checked, or shows one message why not.
    void write(const ShownRecord &shown);
    // Puts the light out when `record` answers the panel's last request sent;
    // records of other addresses or products leave it as it is.
    void recordStored(const Record &record);
    // Lit while the page shows values the gateway has not confirmed. A page
    // of a single record confirms with every record of its kind, asked or
    // not, and then awaits no answer.
    void setConfirmed(bool confirmed);

private:
    GatewaySession &m_session;
    const ErrorReport &m_report;
    const WindowLanguage &m_language;
    StatusLight *m_light;
    // The record whose answer puts the light out.
    std::optional<RecordId> m_pending;
};
