#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/ns/URLTransport.hpp"

namespace pellavo::backend {

// libcurl's global set-up and tear-down, for the platform's initialisation point only:
// both must run while no other thread uses curl.
PELLAVO_EXPORT void curlGlobalInit();
PELLAVO_EXPORT void curlGlobalCleanup();

// The HTTP transport: one worker thread, started by the first transfer, drives a curl
// multi handle and wakes at least every 50 ms for new transfers and cancellations.
// Destroying it joins the worker; unfinished transfers are dropped without a result.
// A response counts as activity for the idle time-out once its head is whole, never line
// by line; one whose head never ends, cannot be read or declares its length ambiguously
// fails with badServerResponse.
PELLAVO_EXPORT std::shared_ptr<ns::URLTransport> makeCurlTransport();

} // namespace pellavo::backend
