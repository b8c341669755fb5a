#pragma once
// The namespace test bed as the ctest fixture describes it: the answering and
// silent ranges come from the environment, and the state file written by
// scripts/testbed says whether the bed is really up (or why not).

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/ipv4.h"

namespace calderwynfell::testing {

struct TestBed {
    bool ready = false;
    std::string reason;                    // why not ready, printed by the skipping test
    std::vector<std::uint32_t> answering;  // every host address of the answering range
    std::vector<std::uint32_t> silent;     // every host address of the silent range
};

inline bool parseCidrHosts(const std::string& cidr, std::vector<std::uint32_t>& hosts) {
    const auto slash = cidr.find('/');
    if (slash == std::string::npos) return false;
    std::uint32_t network = 0;
    if (!parseIpv4(std::wstring(cidr.begin(), cidr.begin() + slash), network)) return false;
    const int prefix = std::atoi(cidr.c_str() + slash + 1);
    if (prefix < 16 || prefix > 30) return false;
    const std::uint32_t size = 1u << (32 - prefix);
    // Only the namespace's own range, never anything else.
    if ((network >> 17) != ((198u << 7) | 9u) || network % size != 0) return false;
    hosts.clear();
    for (std::uint32_t a = network + 1; a < network + size - 1; ++a) hosts.push_back(a);
    return true;
}

inline TestBed loadTestBed() {
    TestBed bed;
    const char* state = std::getenv("CALDERWYNFELL_TESTBED_STATE");
    const char* answering = std::getenv("CALDERWYNFELL_TESTBED_ANSWERING");
    const char* silent = std::getenv("CALDERWYNFELL_TESTBED_SILENT");
    if (!state || !answering || !silent) {
        bed.reason =
            "no test bed: CALDERWYNFELL_TESTBED_* not set (run through ctest, which creates it as root)";
        return bed;
    }
    std::string path = state;
    if (!path.empty() && path[0] == '/') path = "Z:" + path;  // a Unix path seen from Wine
    std::ifstream file(path);
    std::string line;
    if (!file || !std::getline(file, line)) {
        bed.reason = "no test bed: state file " + path + " missing (the testbed_up fixture did not run)";
        return bed;
    }
    std::istringstream words(line);
    std::string word, stateAnswering, stateSilent;
    words >> word >> stateAnswering >> stateSilent;
    if (word != "ready") {
        bed.reason = "no test bed: " + line;
        return bed;
    }
    if (stateAnswering != answering || stateSilent != silent) {
        bed.reason = "no test bed: state file ranges differ from the environment: " + line;
        return bed;
    }
    if (!parseCidrHosts(answering, bed.answering) || !parseCidrHosts(silent, bed.silent)) {
        bed.reason = std::string("no test bed: ranges outside 198.18.0.0/15: ") + answering + " " + silent;
        return bed;
    }
    bed.ready = true;
    return bed;
}

}  // namespace calderwynfell::testing
