#include "gui/RecordPanel.h"

#include "core/GatewaySession.h"
#include "texts/Texts.h"
#include "gui/ErrorReport.h"
#include "gui/StatusLight.h"
#include "gui/WindowLanguage.h"

RecordPanel::RecordPanel(GatewaySession &session, const ErrorReport &report, const WindowLanguage &language,
                         StatusLight *light)
    : m_session(session), m_report(report), m_language(language), m_light(light)
{
}

void RecordPanel::read(const RecordId &id)
{
    m_light->setLit(true);
    m_pending = id;
    m_session.send(ReadRequest(id));
}

void RecordPanel::write(const ShownRecord &shown)
{
    m_light->setLit(true);
    // Records held for a batched store reach the file first, so the page
    // builds on the gateway's latest values.
    const WorkingFile::Snapshot stored = m_session.snapshotForWrite();
    const Record record = shown(stored);
    // A record not sent leaves the earlier request the one awaited.
    if (!HoldsAnyRecord(stored)) {
        m_report.show(NoRecordsText(m_session.file().path(), m_language.current()));
        return;
    }
    const QList<ValueProblem> problems = record.problems();
    if (!problems.isEmpty()) {
        m_report.show(ValueProblemsText(problems, m_language.current()));
        return;
    }
    m_pending = record.id();
    m_session.sendWrite(record);
}

void RecordPanel::recordStored(const Record &record)
{
    if (m_pending != record.id())
        return;
    m_light->setLit(false);
    m_pending.reset();
}

void RecordPanel::setConfirmed(bool confirmed)
{
    m_light->setLit(!confirmed);
    if (confirmed)
        m_pending.reset();
}
