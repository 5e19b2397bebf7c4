#include "PulseOperations.h"

#include <pulse/operation.h>

#include <algorithm>

PulseOperations::~PulseOperations()
{
    cancelAll();
}

bool PulseOperations::keep(pa_operation *operation, std::unique_ptr<Data> data)
{
    releaseFinished();
    if (!operation)
        return false;
    m_entries.push_back({operation, std::move(data)});
    return true;
}

void PulseOperations::cancelAll()
{
    for (Entry &entry : m_entries) {
        if (pa_operation_get_state(entry.operation) == PA_OPERATION_RUNNING)
            pa_operation_cancel(entry.operation);
        pa_operation_unref(entry.operation);
    }
    m_entries.clear();
}

void PulseOperations::releaseFinished()
{
    // An operation is marked done only after its callback returned, so a
    // callback that starts another operation never loses its own data here.
    const auto finished = std::remove_if(m_entries.begin(), m_entries.end(), [](Entry &entry) {
        if (pa_operation_get_state(entry.operation) == PA_OPERATION_RUNNING)
            return false;
        pa_operation_unref(entry.operation);
        return true;
    });
    m_entries.erase(finished, m_entries.end());
}
