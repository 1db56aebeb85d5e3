#pragma once

#include "Exception.h"

// A JSON-RPC error answer: the code the protocol fixes and a message the user can read.
class RpcError : public Exception {
public:
    enum Code {
        ParseError = -32700,
        InvalidRequest = -32600,
        MethodNotFound = -32601,
        InvalidParams = -32602,
        ServerFault = -32000,
    };

    RpcError(Code code, QString message) : Exception(std::move(message)), code_(code) {}

    Code code() const { return code_; }

private:
    Code code_;
};
