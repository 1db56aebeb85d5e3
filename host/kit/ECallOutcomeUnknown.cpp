#include "ECallOutcomeUnknown.h"

ECallOutcomeUnknown::ECallOutcomeUnknown(const QString& cause)
    : Exception(cause + QStringLiteral(" A alteração pode ter sido gravada ou não.")), cause_(cause)
{}

// Out of line, so the type is one across the libraries that raise and catch it.
ECallOutcomeUnknown::~ECallOutcomeUnknown() = default;
