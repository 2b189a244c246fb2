#pragma once
// Spies on a run that keep what it reports as the window words it: each end
// as (ok, text) and each step as (value, text), in the language given.

#include "core/TransferRun.h"
#include "texts/ErrorTexts.h"

#include <QList>
#include <QObject>
#include <QVariant>

class RunFinishedSpy : public QList<QVariantList>
{
public:
    explicit RunFinishedSpy(TransferRun &run, Language language = Language::German)
    {
        QObject::connect(&run, &TransferRun::finished, &m_context, [this, language](const RunResult &result) {
            append(QVariantList{result.ok(), RunResultText(result, language)});
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
    explicit RunProgressSpy(TransferRun &run, Language language = Language::German)
    {
        QObject::connect(&run, &TransferRun::progressed, &m_context, [this, language](int value, const RecordId &step) {
            append(QVariantList{value, RunStepText(step, language)});
        });
    }

private:
    QObject m_context;
};
