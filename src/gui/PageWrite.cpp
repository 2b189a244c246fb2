#include "gui/PageWrite.h"

#include "texts/Texts.h"
#include "gui/ErrorReport.h"

bool CheckPageWrite(const ErrorReport &report, const WorkingFile::Snapshot &stored, const Record &record,
                    const QString &fileName, Language language)
{
    if (!HoldsAnyRecord(stored)) {
        report.show(NoRecordsText(fileName, language));
        return false;
    }
    const QList<ValueProblem> problems = record.problems();
    if (!problems.isEmpty()) {
        report.show(ValueProblemsText(problems, language));
        return false;
    }
    return true;
}
