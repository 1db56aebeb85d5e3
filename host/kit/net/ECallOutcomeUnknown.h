#pragma once

#include "Exception.h"
#include "host_kit_export.h"

// A call went out and no answer came: it timed out, or the connection broke after the request was
// sent. The server may have applied it or not; only reading again tells. Every other failure of the
// link means the server did not take the call. The message says what happened on the link: whoever
// made a change by the call tells the user what that means for it.
class HOST_KIT_EXPORT ECallOutcomeUnknown : public Exception {
public:
    explicit ECallOutcomeUnknown(const QString& cause);
    ~ECallOutcomeUnknown() override;
};
