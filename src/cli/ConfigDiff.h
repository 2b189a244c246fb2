#pragma once
// The gateway's settings in two configuration files, compared as the
// gateway would hold them after a write-all of each: values as the
// working-file rules read them; a missing key differs from every value.

#include "core/ConfigLayout.h"

#include <QList>
#include <QString>

class WorkingFile;

// A value as read from the first file and from the second (null: missing).
using ConfigDifference = ValueDifference;

namespace ConfigDiff {

// Every record of every firmware: 24 addresses of ten points, 20 products,
// the interface and the printer.
FirmwareFeatures largestLayout();

// The keys whose values would go to the gateway differently, record by
// record in the run's order. Throws FileError for a file that cannot be read.
QList<ConfigDifference> compare(const WorkingFile &first, const WorkingFile &second,
                                const FirmwareFeatures &layout);

// A value for a one-line listing: quoted, with control characters escaped;
// "(missing)" for a missing key.
QString quoted(const QString &value);

} // namespace ConfigDiff
