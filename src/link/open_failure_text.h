#pragma once
// Why a port did not open, in one sentence, for both front ends.

#include <QString>

#include "link/transport.h"

namespace kav::link {

// The sentence for a failed open of port, detail being the transport's errorString() after it.
QString openFailureText(OpenResult kind, const QString& port, const QString& detail);

}  // namespace kav::link
