#pragma once

#include "records/DataChannel.h"
#include "meter/Measurement.h"
#include "meter/Reading.h"

#include <QObject>
#include <QString>

namespace tarnix::core {

// The link as the polling cycle keeps it.
struct LinkState {
    int comPortNumber = 0;  // 1..8 when chosen in the port window
    QString portLabel;      // what the port label shows while the port is in use ("COM3")
    int baudRateNumber = 0; // the speed of the last frame
    bool meterConnected = false;
    // The reading came with the meter's last answer. False from the first
    // request it leaves unanswered, and during "No COM", until the next
    // reading: no recording line is written meanwhile.
    bool readingCurrent = false;
    bool recordingFlag = false; // the meter's logger records
    bool alarmReloadRequest = false;
    int speedRounds = 0; // speed changes since the last restart of the link
    bool shortFrameSeen = false;
    bool longFrameSeen = false;
};

// The alarm limits as last read from the meter.
struct AlarmState {
    QString low; // rendered packed readings: "-1.500", "OL", "-OL"
    QString high;
    meter::Shown lowShown; // the same, as the checks compare them
    meter::Shown highShown;
    int functionCode = 0; // the code the limits were set for
    bool meterArmed = false;
    // The last load gave up: the meter answers readings but not memory
    // reads, so no reading is checked until a load succeeds.
    bool unread = false;
};

// The background of the HIGHER and LOWER panels.
enum class AlarmColour { Unset, Armed, NotArmed };

// What the main panel shows. Maximum and minimum and the range-change check
// work on these texts, exactly as the user sees them.
struct PanelTexts {
    QString function;
    QString range;
    QString value;
    QString max;
    QString min;
    QString com = QStringLiteral("No Com");
    bool comProgress = false; // `com` counts the logger header read on
    QString sampling;
    int samplingSeconds = 2; // the interval `sampling` shows
    QString time;
    QString model;               // the model button's caption
    bool recordingShown = false; // "REC"
    QString highAlarm;
    QString lowAlarm;
    bool linkButtonsEnabled = true; // the six buttons that start long exchanges
    bool loggerBusy = false;        // TIME SET and LOGGER are off while either runs
    AlarmColour alarmColour = AlarmColour::Unset;
    // PC recording
    QString fileName; // the recording file's name without its folder
    QString count;    // lines recorded, after one blank
    bool pcRecordingShown = false;
    QString saveStopCaption = QStringLiteral("SAVE AS");
};

// The one shared state: owned by the panel, read by every window, written by
// the polling cycle (and by a logger download's decoding).
class SharedState : public QObject {
    Q_OBJECT

public:
    meter::Reading reading;
    // The same reading decoded once, for every output: the polling cycle
    // fills it with each frame.
    meter::Measurement measurement;
    LinkState link;
    AlarmState alarm;
    PanelTexts texts;
    records::DataChannel data;

    // Tells the windows to show the texts again.
    void show() { Q_EMIT changed(); }

Q_SIGNALS:
    void changed();
};

} // namespace tarnix::core
