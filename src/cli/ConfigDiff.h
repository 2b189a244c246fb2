#pragma once
// The gateway's settings in two configuration files, compared as the
// write-all run would send them: values as the working-file rules read them,
// a missing key as the run's default for it.

#include "core/ConfigLayout.h"

#include <QList>
#include <QString>

class WorkingFile;

// A value as read from the first file (or the run's default), and from the second.
using ConfigDifference = ValueDifference;

namespace ConfigDiff {

// Every record of every firmware: 24 addresses of ten points, 20 products,
// the interface and the printer.
FirmwareFeatures largestLayout();

// The keys whose values would go to the gateway differently, record by
// record in the run's order. Throws IniError for a file that cannot be read.
QList<ConfigDifference> compare(const WorkingFile &first, const WorkingFile &second,
                                const FirmwareFeatures &layout);

// A value for a one-line listing: quoted, with control characters escaped.
QString quoted(const QString &value);

} // namespace ConfigDiff
