#pragma once

/// \file
/// DeviceIdentity, what the device on a port is; the reading of its replies; and the
/// questions that ask a device on an open Mdcomm for it.

#include "qelvexport.h"

#include <QString>
#include <QStringView>

namespace qelv {

class Mdcomm;

/// Where one fact of an identity came from.
enum class IdentitySource {
    None,          ///< nobody said it
    At,            ///< the device answered an AT command
    ModemManager,  ///< ModemManager, which manages the device, said it
    Usb            ///< the USB device's own descriptors, as udev keeps them
};

/// The word for `source` in machine-readable output: "at", "modemmanager", "usb"; empty
/// for IdentitySource::None.
QELV_EXPORT QString identitySourceName(IdentitySource source);

/// One fact of an identity: its text and where it came from.
struct IdentityField {
    /// The text as the source gave it: never more than DeviceIdentity::kFieldMax characters,
    /// no control character, not escaped (whoever shows it escapes it). Empty: not known.
    QString value;
    IdentitySource source = IdentitySource::None;  ///< None exactly when value is empty

    /// Whether anything is known.
    bool known() const { return !value.isEmpty(); }
    /// Equal when text and source are.
    friend bool operator==(const IdentityField&, const IdentityField&) = default;
};

/// What the device on one port is, as far as anyone could tell: a plain value. Fields nobody
/// knows are empty. The texts are the device's (or ModemManager's, or udev's) own and must be
/// escaped before they are shown (escapeForTerminal, jsonStringLiteral, ...).
struct DeviceIdentity {
    IdentityField manufacturer;  ///< the maker ("Quectel")
    IdentityField model;         ///< the model ("EC25")
    IdentityField revision;      ///< the firmware revision
    IdentityField serial;        ///< the serial number; the IMEI for a cellular module
    /// The line speed in bit/s at which the device answered AT commands; 0 when not known.
    /// Only an AT exchange finds it (source IdentitySource::At).
    int speed = 0;
    /// \name ModemManager's view
    /// Empty unless ModemManager manages the device.
    ///@{
    QString plugin;    ///< the ModemManager plugin that drives it ("quectel", "generic")
    QString state;     ///< the modem's state in ModemManager's words ("registered")
    QString portRole;  ///< what ModemManager uses this port for ("at", "qcdm", "gps")
    ///@}

    /// Whether nothing at all is known.
    bool isEmpty() const {
        return !manufacturer.known() && !model.known() && !revision.known() && !serial.known() &&
               speed == 0 && plugin.isEmpty() && state.isEmpty() && portRole.isEmpty();
    }
    /// Equal when every fact is.
    friend bool operator==(const DeviceIdentity&, const DeviceIdentity&) = default;

    /// The longest text a field holds.
    static constexpr qsizetype kFieldMax = 64;
};

/// Fills every fact of `into` that is not known from `from`; what `into` knows stays. Used
/// to put sources together, the most direct first (the device's own answers, then
/// ModemManager, then USB).
QELV_EXPORT void fillIdentity(DeviceIdentity& into, const DeviceIdentity& from);

/// A field from a named value of a service (ModemManager, udev): blanks around it and control
/// characters dropped, cut to DeviceIdentity::kFieldMax characters; empty when nothing is
/// left. `source` is the field's source unless the value is empty.
QELV_EXPORT IdentityField namedIdentityField(QStringView value, IdentitySource source);

/// Reads the reply to one identification command (`command` as sent, e.g. "AT+CGMI"; the
/// reply exactly as collected). Pure. Returns the facts the reply names, each with source
/// IdentitySource::At; nothing unless the reply ends its text with an "OK" line, so an ERROR,
/// a reply cut off by its time limit and line noise name nothing.
///
/// Lines are split at CR and LF (text after the last line end is no line yet); blank lines
/// and the echo of the command are skipped. A line
/// "Manufacturer: X", "Model: X", "Revision: X", "IMEI: X" or "Serial Number: X" (a few
/// spellings of each) names that fact in any reply. Otherwise the first text line answers the
/// command: +CGMI/+GMI the manufacturer, +CGMM/+GMM the model, +CGMR/+GMR the revision,
/// +CGSN/+GSN the serial, ATI3 the revision; ATI the model, when it is the only text line. A
/// "+CGMI:"-style prefix and quotes around the value are dropped. A line that is longer than
/// DeviceIdentity::kFieldMax, or holds a control character, names nothing.
QELV_EXPORT DeviceIdentity parseIdentityReply(QStringView command, QStringView reply);

/// Asks the device on `modem`'s open port who it is, one command a line, each with its own
/// time limit (the questions of IdentityQuestions, in identityquestions.h), and returns what
/// it said. With `searchSpeed`, first finds the speed at which it answers "AT"
/// (IdentityQuestions::kSearchSpeeds) and asks at that speed; the port is left at the speed
/// it was found at, or as it was when none answered.
///
/// Input that waits before a command is dropped first, so a late or doubled answer to the
/// previous one is never read as this one's. A device that goes away in the middle
/// (kPortIoFailed) ends the questions: the identity holds what it said before. Other errors
/// (the port is not open) pass to the caller. Runs for at most IdentityQuestions::kMostTime.
QELV_EXPORT DeviceIdentity identifyDevice(Mdcomm& modem, bool searchSpeed = false);

}  // namespace qelv
