#include "cli/ConfigDiff.h"

#include "core/Records.h"
#include "core/WorkingFile.h"
#include "texts/Texts.h"

namespace ConfigDiff {

FirmwareFeatures largestLayout()
{
    return ConfigLayout::largestLayout();
}

QList<ConfigDifference> compare(const WorkingFile &first, const WorkingFile &second,
                                const FirmwareFeatures &layout)
{
    // One read of each file for all the records.
    const WorkingFile::Snapshot a = first.snapshot();
    const WorkingFile::Snapshot b = second.snapshot();
    QList<ConfigDifference> out;
    for (const RecordId &id : ConfigLayout::records(layout)) {
        const Record ra = Record::fromFile(a, id, layout);
        const Record rb = Record::fromFile(b, id, layout);
        for (const auto &[key, value] : ra.values) {
            if (ConfigLayout::heldForm(id.kind, key, value) != ConfigLayout::heldForm(id.kind, key, rb.value(key)))
                out.append({ra.section, key, value, rb.value(key)});
        }
    }
    return out;
}

QString quoted(const QString &value)
{
    return value.isNull() ? QStringLiteral("(missing)") : QuotedValue(value);
}

} // namespace ConfigDiff
