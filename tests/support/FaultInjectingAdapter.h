// An adapter layer over another adapter table (the library's, so the simulated
// chip really answers) that makes I2C transfers fail as a slave that did not
// acknowledge its address, each with a fixed probability from a seeded
// generator, and records every transfer with its result and whether the
// failure was its own. Its state is static because AdapterApi holds plain
// function pointers; reset() between tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bus/AdapterApi.h"
#include "support/RecordingAdapter.h"

struct FaultTransfer {
    AdapterCall call;      // op (Read or Write), addressing, bytes, result
    bool injected = false; // failed here, without reaching the inner adapter
};

class FaultInjectingAdapter {
  public:
    static const AdapterApi& api();

    // Forwards to the library's table, injects nothing, records nothing.
    static void reset();
    // The table calls go to; null: the library's.
    static void setInner(const AdapterApi* inner);

    // From now on each transfer fails with this probability, drawn from a
    // generator started on seed. A probability of 0 draws nothing.
    static void inject(double probability, uint64_t seed);
    static void stopInjecting() { inject(0.0, 0); }
    // From now on only the n-th transfer (1-based) fails, whatever the
    // probability; 0 stops it.
    static void failOnly(size_t n);

    // The transfers since the last clearTransfers() (reads and writes only).
    static const std::vector<FaultTransfer>& transfers();
    static void clearTransfers();

    // The code an injected failure returns.
    static int32_t injectedCode();
};

// A transfer as "R 0x6F:0x0E/2 failed (injected)", for failure lists.
std::string describeTransfer(const FaultTransfer& t);
