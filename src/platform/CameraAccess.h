#pragma once

#include <QObject>
#include <QString>

// Whether Tarnwick itself may open a camera, for the mirror. Facts only: the
// core words what the user reads.
class CameraAccess : public QObject {
    Q_OBJECT
public:
    enum class State {
        Available, // a camera that Tarnwick can open
        NoCamera,  // no video capture device at all
        NoRights,  // the device node refuses this user (not in its group)
        NotAsked,  // a sandbox that must ask the camera portal first
        Refused,   // the portal said no
    };
    struct Status {
        State state = State::NoCamera;
        QString node;  // the refusing node, for NoRights
        QString group; // the group that may open it, for NoRights
        friend bool operator==(const Status &, const Status &) = default;
    };

    using QObject::QObject;

    // Answers with checked(), later: the check opens device nodes, which a
    // camera waking from USB suspend can hold up.
    virtual void check() = 0;
    // Asks for access where something can be asked (the portal); answered()
    // follows whatever the answer, or at once when there is nobody to ask.
    virtual void request() = 0;

Q_SIGNALS:
    void checked(CameraAccess::Status status);
    void answered();
};
