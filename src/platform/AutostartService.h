#pragma once

#include <QString>

// Starting Tarnwick when the user logs in.
class AutostartService {
public:
    virtual ~AutostartService() = default;
    virtual bool isRegistered() const = 0;
    // Answers an empty text on success, otherwise what went wrong.
    virtual QString setRegistered(bool on) = 0;
};
