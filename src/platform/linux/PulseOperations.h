#pragma once

#include <memory>
#include <vector>

struct pa_operation;

// The libpulse operations an object has in flight, with the data their
// callbacks are given. When the owner goes away they are cancelled, so no
// callback reaches it afterwards. Data of operations that finished (or that
// a lost connection cancelled) is released as new operations start.
class PulseOperations {
public:
    struct Data {
        virtual ~Data() = default;
    };

    PulseOperations() = default;
    ~PulseOperations();
    PulseOperations(const PulseOperations &) = delete;
    PulseOperations &operator=(const PulseOperations &) = delete;

    // Keeps `operation` and what its callback uses. Answers false (and drops
    // `data`) when libpulse did not start it (`operation` is null).
    bool keep(pa_operation *operation, std::unique_ptr<Data> data = nullptr);
    void cancelAll();

private:
    void releaseFinished();

    struct Entry {
        pa_operation *operation;
        std::unique_ptr<Data> data;
    };
    std::vector<Entry> m_entries;
};
