#include "gui/PageWrite.h"

#include "core/Texts.h"
#include "gui/ErrorReport.h"

bool CheckPageWrite(const WorkingFile::Snapshot &stored, const Record &record, const QString &fileName,
                    int language)
{
    if (!HoldsAnyRecord(stored)) {
        ShowErrorReport(NoRecordsText(fileName, language));
        return false;
    }
    const QList<ValueProblem> problems = record.problems();
    if (!problems.isEmpty()) {
        ShowErrorReport(ValueProblemsText(problems, language));
        return false;
    }
    return true;
}
