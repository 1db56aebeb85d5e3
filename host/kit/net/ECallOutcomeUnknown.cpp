#include "ECallOutcomeUnknown.h"

ECallOutcomeUnknown::ECallOutcomeUnknown(const QString& cause) : Exception(cause) {}

// Out of line, so the type is one across the libraries that raise and catch it.
ECallOutcomeUnknown::~ECallOutcomeUnknown() = default;
