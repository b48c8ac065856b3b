// Work cut in two halves that share nothing, run at once on two threads.
#pragma once

#include <exception>
#include <system_error>
#include <thread>

// Runs work(1) on a thread of its own and work(0) on this one, or both here
// when no thread can start; returns once both are done. Each half must write
// only its own entries, so the result is the same either way. An exception
// of either half (memory running out) is thrown here once both are done,
// this thread's first.
template <typename Work>
void runHalvesAtOnce(const Work& work) {
    std::exception_ptr secondFailure;
    std::thread second;
    try {
        second = std::thread([&] {
            try {
                work(1);
            } catch (...) {
                secondFailure = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        work(1);
    }
    std::exception_ptr firstFailure;
    try {
        work(0);
    } catch (...) {
        firstFailure = std::current_exception();
    }
    if (second.joinable()) second.join();
    if (firstFailure) std::rethrow_exception(firstFailure);
    if (secondFailure) std::rethrow_exception(secondFailure);
}
