#pragma once
// Spies on a run that keep what it reports: each end as (ok) with its result,
// each step as (value) with the record it stands at.

#include "core/TransferRun.h"

#include <QList>
#include <QObject>
#include <QVariant>

class RunFinishedSpy : public QList<QVariantList>
{
public:
    explicit RunFinishedSpy(TransferRun &run)
    {
        QObject::connect(&run, &TransferRun::finished, &m_context, [this](const RunResult &result) {
            append(QVariantList{result.ok()});
            results.append(result);
        });
    }
    QList<RunResult> results;

private:
    QObject m_context;
};

class RunProgressSpy : public QList<QVariantList>
{
public:
    explicit RunProgressSpy(TransferRun &run)
    {
        QObject::connect(&run, &TransferRun::progressed, &m_context, [this](int value, const RecordId &step) {
            append(QVariantList{value});
            steps.append(step);
        });
    }
    QList<RecordId> steps;

private:
    QObject m_context;
};
