# Faults planted one at a time. Each: id, file, old text (must occur exactly once), new
# text, the gtest filter of the tests that should see it, and what a user would notice.
#
# Known survivors, none of which a user could notice where the tests run: S10 and P13 change
# nothing that shows (a skipped port has no failed step to forget; the round's end closes the
# ports a moment later), V09 (qel-v at has no Qt events to pump), L06 (only a power cut
# shows a missing sync) and D03 (a pseudo-terminal has no kernel output queue to wait for).

SURVEY = ("Survey.*:FormLoad.*:Caption.*:ParallelSurvey.*:AtFailure.*:WindowForm.*:"
          "WindowClose.*:SimulatedBench.*:SurveyEntries.*:FloodFromTheStart.*:*SurveyRules*")
PAR = "ParallelSurvey.*:ParallelRun.*:*SurveyRules*"
LINK = ("Exchange*:ReBack.*:Waits*:TickSpanRule.*:MdcommInstance.*:Atcret*:Collect*:"
        "QtLoopCollect.*:StopScanner.*:ModemLog*:ClassifyResult*:Combinations*:NonMatches*:"
        "SingleRows*:Survey.*:ParallelSurvey.*:SystemTick*:*SurveyRules*:Exchanges*")
AT = "AtCommandLine.*:AtVerdict.*:Options.*:AtRequest.*"
LOG = ("FileLogWriterTest.*:FormatLog.*:ParseLog*:StartsAsLog.*:Table/*:ModemLog*:"
       "AtCommandLine.*:ReadLog*")
ESC = ("TextEscape.*:JsonWriter.*:GridRender.*:TextOutput.*:JsonOutput.*:AtCommandLine.*:"
       "AtFailure.*:WidgetsTest.*:ListMode.*:ListedBench.*:DeviceFacts*:SimulatedBench.*")
SERIAL = ("DrainBound.*:HeldPort.*:SerialOnPty.*:SerialOpen.*:Router.*:PortUse.*:InjectedSources.*:"
          "PortRemedy.*:PermissionMessage.*:TtyDevice.*:SurveyEntries.*:SimulatedBench.*:"
          "FloodFromTheStart.*:ParallelRun.*")
MAP = ("PortMap*:LineSettingsText.*:FixedMap.*:SystemMap.*:DeviceFacts*:DeviceKindOf.*:"
       "SystemSerialDevices.*:ListMode.*:ListedBench.*:Options.*:Modes.*:SurveyEntries.*:"
       "AtCommandLine.*")

F = []


def fault(fid, path, old, new, tests, note):
    F.append(dict(id=fid, file=path, old=old, new=new, tests=tests, note=note))


# --- Pass 1 and the click ------------------------------------------------------------------
fault("S03", "survey/passes.cpp",
      "const bool opened = m_rule.number() == 0;",
      "const bool opened = m_rule.failure() == OpenFailure::None;",
      SURVEY, "a failed step before the open no longer makes the port count as not opened")
fault("S04", "survey/passes.cpp",
      "    m_rule.step([&] { m_w.MSFlexGrid1.setCellFailure(failure); });\n    closePort();",
      "    m_rule.step([&] { m_w.MSFlexGrid1.setCellFailure(failure); });\n"
      "    if (opened) closePort();",
      SURVEY, "a port opened after a failed step stays open")
fault("S05", "survey/passes.cpp",
      "    advanceProgress();\n    m_rule.clear();\n}",
      "    advanceProgress();\n}",
      SURVEY, "pass 1's error state carries over to the next port")
fault("S08", "survey/surveytexts.h",
      "return QStringLiteral(\"COM\") + QString::number(n);",
      "return QStringLiteral(\"COM\") + QString::number(n).rightJustified(2, u'0');",
      SURVEY + ":GridRender.*:TextOutput.*:JsonOutput.*", "port names with a leading zero")
fault("S09", "survey/passes.cpp",
      "if (mark != kMark) return false;",
      "if (mark == kWhite) return false;",
      SURVEY, "pass 3 tries ports pass 2 never tried")
fault("S10", "survey/passes.cpp",
      "if (atPort(pass, n)) m_rule.clear();",
      "atPort(pass, n);\n        m_rule.clear();",
      SURVEY, "error state cleared for skipped ports too")
fault("S11", "survey/passes.cpp",
      "    m_rule.step([&] { unit().Waits(kSettleMs); });\n    m_rule.step([&] {\n        const std::int32_t sentAt",
      "    m_rule.step([&] {\n        const std::int32_t sentAt",
      SURVEY, "no settling wait before the AT command (sequential)")
fault("S12", "survey/passes.cpp",
      "    openPort(n);\n    m_rule.step([&] { attempt.opened = unit().MSComm1.portOpen(); });\n"
      "    if (!attempt.opened) attempt.openError = m_rule.message();\n"
      "    m_rule.step([&] { unit().Waits(kSettleMs); });\n",
      "    m_rule.step([&] { unit().Waits(kSettleMs); });\n    openPort(n);\n"
      "    m_rule.step([&] { attempt.opened = unit().MSComm1.portOpen(); });\n"
      "    if (!attempt.opened) attempt.openError = m_rule.message();\n",
      SURVEY, "settling wait before the open instead of after it (sequential)")
fault("S13", "survey/passes.cpp",
      "runAtPass({kAtStatus, kOpenCol, \"ATE0Q0V1\", kAtCol});",
      "runAtPass({kAtStatus, kOpenCol, \"ATE0V1\", kAtCol});",
      SURVEY, "wrong AT check command")
fault("S15", "survey/passes.cpp",
      "unit().SendModem(QLatin1String(pass.command), kAtWaitMs, QStringLiteral(\"OK\"));",
      "unit().SendModem(QLatin1String(pass.command), kAtWaitMs, QString());",
      SURVEY, "sequential exchange stops at the first line end")
fault("S17", "survey/passes.cpp",
      "if (okStandsAlone(attempt.reply)) {",
      "if (okStandsAlone(attempt.reply.toUpper())) {",
      SURVEY + ":OkLine*", "lower-case ok accepted")
fault("S18", "survey/okline.cpp",
      "const bool openAfter = at + 2 == reply.size() || isLineEnd(reply[at + 2]);",
      "const bool openAfter = at + 2 < reply.size() && isLineEnd(reply[at + 2]);",
      SURVEY + ":OkLine*", "an OK cut off by the limit is not accepted")
fault("S19", "survey/passes.cpp",
      "writeResult(n, pass.resultCol, attempt.reply, kMark, {});",
      "writeResult(n, pass.resultCol, attempt.reply.trimmed(), kMark, {});",
      SURVEY, "reply trimmed in the grid")
fault("S20", "survey/passes.cpp",
      "    // The waits above ran window events, so the current cell is chosen afresh.\n"
      "    m_rule.step([&] { m_w.MSFlexGrid1.setRow(n); });\n",
      "",
      SURVEY, "results written to whatever cell events left current")
fault("S22", "survey/passes.cpp",
      "    m_rule.step([&] { m_w.MSFlexGrid1.setCol(kInfoCol); });\n"
      "    m_rule.step([&] { m_w.StatusBar1.setSimpleText(QString()); });",
      "    m_rule.step([&] { m_w.StatusBar1.setSimpleText(QString()); });",
      SURVEY, "last current cell not in column 3")
fault("S25", "survey/mainform.cpp",
      "    m_w.Command1.setEnabled(false);\n", "",
      SURVEY, "button stays enabled during a survey")
fault("S27", "survey/passes.cpp",
      "runAtPass({kInfoStatus, kAtCol,", "runAtPass({kInfoStatus, kOpenCol,",
      SURVEY, "pass 3 selects by column 1")
fault("S28", "survey/passes.cpp",
      "    m_rule.step([&] {\n        const std::int32_t sentAt",
      "    if (attempt.opened) m_rule.step([&] {\n        const std::int32_t sentAt",
      SURVEY, "no exchange attempted on a marked port that did not reopen")
fault("S29", "survey/passes.cpp",
      "    m_rule.step([&] { unit().Waits(kSettleMs); });\n    m_rule.step([&] {\n        const std::int32_t sentAt",
      "    if (attempt.opened) m_rule.step([&] { unit().Waits(kSettleMs); });\n    m_rule.step([&] {\n        const std::int32_t sentAt",
      SURVEY, "no wait for a marked port that did not reopen")
fault("S31", "survey/passes.cpp",
      "        if (atPort(pass, n)) m_rule.clear();\n        advanceProgress();",
      "        if (atPort(pass, n)) {\n            m_rule.clear();\n            advanceProgress();\n        }",
      SURVEY, "progress skips untried ports")
fault("S32", "survey/mainform.cpp",
      "    rule.step([&] { port().setSettings(kLineSettings); });\n"
      "    rule.step([&] { port().setDTREnable(true); });\n",
      "    rule.step([&] { port().setDTREnable(true); });\n"
      "    rule.step([&] { port().setSettings(kLineSettings); });\n",
      SURVEY, "opening steps out of order (DTR before settings)")
fault("S34", "survey/mainform.cpp",
      "    m_w.Command1.setCaption(kBusyCaption);\n    m_progress = 0;\n",
      "    m_w.Command1.setCaption(kBusyCaption);\n    m_progress = 0;\n    (void)unit();\n",
      SURVEY, "the unit comes into being at the click, not at the first port step")
fault("S36", "survey/passes.cpp",
      "    m_rule.step([&] { m_w.MSFlexGrid1.setCellToolTip(failure.reason); });\n", "",
      SURVEY + ":GridRender.*:JsonOutput.*", "failure reason of an AT cell not kept")

fault("S33", "survey/mainform.cpp",
      "    rule.step([&] { port().setHandshaking(0); });\n    rule.step([&] { port().setPortOpen(true); });\n",
      "    rule.step([&] { port().setPortOpen(true); });\n    rule.step([&] { port().setHandshaking(0); });\n",
      SURVEY, "handshaking set after the open")
fault("S37", "survey/passes.cpp",
      "    if (!attempt.opened) attempt.openError = m_rule.message();\n    m_rule.step([&] { unit().Waits(kSettleMs); });",
      "    if (!attempt.opened) {\n        closePort();\n        return true;\n    }\n"
      "    m_rule.step([&] { unit().Waits(kSettleMs); });",
      SURVEY, "a marked port that did not reopen is skipped: its cell keeps the earlier result")
fault("S38", "survey/passes.cpp",
      ["runAtPass({kAtStatus, kOpenCol,", "runAtPass({kInfoStatus, kAtCol,"],
      ["runAtPass({kInfoStatus, kOpenCol,", "runAtPass({kAtStatus, kAtCol,"],
      SURVEY, "passes 2 and 3 show each other's status text")

# --- The parallel passes -----------------------------------------------------------------
fault("P01", "survey/parallelpass.cpp",
      "    m_rule.step([&] { unit().Waits(kSettleMs); });\n", "",
      PAR, "no settling wait (parallel)")
fault("P02", "survey/parallelpass.cpp",
      "    openLinks(links);\n    m_rule.step([&] { unit().Waits(kSettleMs); });\n",
      "    m_rule.step([&] { unit().Waits(kSettleMs); });\n    openLinks(links);\n",
      PAR, "settling wait before the opens (parallel)")
fault("P03", "survey/parallelpass.cpp",
      "    m_rule.step([&] { m_w.StatusBar1.setSimpleText(pass.status); });\n", "",
      PAR, "parallel passes show no status text")
fault("P04", "survey/parallelpass.cpp",
      "    m_rule.step([&] { m_w.StatusBar1.setSimpleText(pass.status); });\n",
      "    m_rule.step([&] { m_w.StatusBar1.setSimpleText(kAtStatus); });\n",
      PAR, "parallel pass 3 shows pass 2's status")
fault("P05", "survey/parallelpass.cpp",
      "void MainForm::sendAll(const AtPass& pass, std::vector<Link>& links) {\n    for (Link& link : links) {",
      "void MainForm::sendAll(const AtPass& pass, std::vector<Link>& links) {\n"
      "    for (auto it = links.rbegin(); it != links.rend(); ++it) {\n        Link& link = *it;",
      PAR, "sends not in port order")
fault("P06", "survey/parallelpass.cpp",
      ["void MainForm::sendAll(const AtPass& pass, std::vector<Link>& links) {\n    for (Link& link : links) {",
       "PendingExchange::untilText(QStringLiteral(\"OK\"), kAtWaitMs, unit().OnTime());"],
      ["void MainForm::sendAll(const AtPass& pass, std::vector<Link>& links) {\n"
       "    const std::int32_t firstSend = unit().OnTime();\n    for (Link& link : links) {",
       "PendingExchange::untilText(QStringLiteral(\"OK\"), kAtWaitMs, firstSend);"],
      PAR, "limits counted from the pass's first send, not each port's own")
fault("P07", "survey/parallelpass.cpp",
      "if (!device.isEmpty() && !devices.insert(device).second) {",
      "if (false && !device.isEmpty() && !devices.insert(device).second) {",
      PAR, "one device under two COM numbers opened twice at once")
fault("P08", "survey/parallelpass.cpp",
      "    leaveCurrentCell(pass, lastTried);\n}", "}",
      PAR + ":Survey.*", "parallel survey ends on another current cell")
fault("P09", "survey/parallelpass.cpp",
      "const bool lastTried = !waiting.empty() && waiting.back() == kLastPort;",
      "const bool lastTried = false;",
      PAR + ":Survey.*", "between passes the current cell is in the mark column though COM16 was tried")
fault("P10", "survey/parallelpass.cpp",
      "    if (failed) {\n        finishFailed(link);\n        return true;\n    }",
      "    if (failed) piece.clear();",
      PAR + ":SimulatedBench.*", "a port that fails mid-collection waits out its limit, reported as silent")
fault("P11", "survey/parallelpass.cpp",
      "link.attempt.opened = link.port->portOpen();",
      "link.attempt.opened = true;",
      PAR + ":SimulatedBench.*:AtFailure.*", "parallel: a port that did not reopen is reported as an exchange failure")
fault("P12", "survey/parallelpass.cpp",
      "        if (mark == kMark)\n            marked.push_back(n);\n        else\n            advanceProgress();",
      "        if (mark == kMark) marked.push_back(n);",
      PAR, "parallel progress skips untried ports")
fault("P13", "survey/parallelpass.cpp",
      "        judge(pass, link.n, link.attempt);\n        link.rule.step([&] { link.port->setPortOpen(false); });",
      "        judge(pass, link.n, link.attempt);",
      PAR + ":SimulatedBench.*", "parallel pass leaves ports open until the round ends")

# --- The unit: waits, exchange, stop rules -----------------------------------------------
fault("M02", "modemlink/tickspan.h", "kWrapCorrection = 0x7FFFFFFF;",
      "kWrapCorrection = 0x80000000LL;", LINK, "wrap correction by 2^31")
fault("M04", "modemlink/tickspan.h", "    std::int64_t m_start;\n", "    std::int32_t m_start;\n",
      LINK, "start kept in 32 bits")
fault("M05", "modemlink/tickspan.h", "if (elapsed < 0 || elapsed >= limit)", "if (elapsed >= limit)",
      LINK, "sleeps ages after a wrap")
fault("M07", "modemlink/exchange.cpp",
      "    MSComm1.Output(atstr + QStringLiteral(\"\\r\\n\"));\n    return exchange(PendingExchange::untilText(retresult, wait, OnTime()));",
      "    const std::int32_t sentAt = OnTime();\n    MSComm1.Output(atstr + QStringLiteral(\"\\r\\n\"));\n"
      "    return exchange(PendingExchange::untilText(retresult, wait, sentAt));",
      LINK, "SendModem's limit counts the write")
fault("M08", "modemlink/exchange.cpp",
      "    MSComm1.Output(atstr);\n    return exchange(PendingExchange::untilText(retresult, wait, OnTime()));",
      "    const std::int32_t sentAt = OnTime();\n    MSComm1.Output(atstr);\n"
      "    return exchange(PendingExchange::untilText(retresult, wait, sentAt));",
      LINK, "SendModemNotCR's limit counts the write")
fault("M09", "modemlink/exchange.cpp",
      "    MSComm1.Output(atstr + QStringLiteral(\"\\r\\n\"));\n    return exchange(PendingExchange::untilResult(wait, OnTime()));",
      "    const std::int32_t sentAt = OnTime();\n    MSComm1.Output(atstr + QStringLiteral(\"\\r\\n\"));\n"
      "    return exchange(PendingExchange::untilResult(wait, sentAt));",
      LINK, "SendModemReBack's limit counts the write")
fault("M10", "modemlink/exchange.cpp", "    MSComm1.Output(atstr);\n",
      "    MSComm1.Output(atstr + QStringLiteral(\"\\r\\n\"));\n", LINK, "NotCR appends a line end")
fault("M12", "modemlink/exchange.cpp",
      "        if (pending.feed(MSComm1.Input())) break;\n        const auto budget = pending.remaining(OnTime());\n        if (!budget) break;",
      "        const auto budget = pending.remaining(OnTime());\n        if (!budget) break;\n        if (pending.feed(MSComm1.Input())) break;",
      LINK, "clock looked at before the port: the last piece is lost")
fault("M13", "modemlink/pendingexchange.cpp", "return PendingExchange({retresult + kCrLf}, wait, sentAt, false);",
      "return PendingExchange({retresult}, wait, sentAt, false);", LINK, "expected reply counts without its line end")
fault("M14", "modemlink/stopscanner.cpp", "m_keep = std::max<qsizetype>(longest - 1, 2);",
      "m_keep = std::max<qsizetype>(longest - 2, 2);", LINK, "stop text split at its first character is missed")
fault("M16", "modemlink/replytext.h", "if (m_text.size() > m_cap) m_text.remove(0, m_text.size() - m_cap);",
      "if (m_text.size() > m_cap) m_text.truncate(m_cap);", LINK + ":SimulatedBench.*", "a capped reply keeps its start, losing the result code")
fault("M17", "modemlink/replytext.h", "if (m_text.size() > m_cap + m_cap / 4) trim();",
      "if (m_text.size() > 64 * m_cap) trim();", LINK + ":SimulatedBench.*:FloodFromTheStart.*",
      "reply grows to 64 times the cap while collecting")
fault("M18", "platform/serial/machine/qttransport.cpp", "    m_port.setReadBufferSize(kReadBufferBytes);\n", "",
      SERIAL, "the port's read buffer is unbounded")
fault("M20", "modemlink/pendingexchange.cpp", "texts.push_back(kCrLf + resultwords::kReBackLineOff.toString());",
      "texts.push_back(resultwords::kReBackLineOff.toString() + kCrLf);", LINK, "LINE OFF rule reversed")
fault("M21", "modemlink/pendingexchange.cpp", "stop = stop || (sawNoCarrier && m_stop.endsWith(kCrLf));",
      "stop = stop || sawNoCarrier;", LINK, "NO CARRIER stops ReBack without a line end")
fault("M22", "modemlink/resultcode.cpp",
      "for (auto row = resultwords::kResultCodes.rbegin(); row != resultwords::kResultCodes.rend();",
      "for (auto row = resultwords::kResultCodes.begin(); row != resultwords::kResultCodes.end();",
      LINK + ":AtVerdict.*", "first match wins in the classifier")
fault("M24", "modemlink/resultwords.h", "    {u\"DELAYED\\r\\n\", 7},", "    {u\"DELAYED\", 7},",
      LINK + ":AtVerdict.*", "DELAYED classified without its line end")
fault("M25", "modemlink/collect.cpp", "const bool pumping = ATCretNotEvent == 0;",
      "const bool pumping = ATCretNotEvent != 1;", LINK + ":AtCommandLine.*", "ATCretNotEvent 2 or -1 pumps")
fault("M26", "modemlink/collect.cpp", "const bool pumping = ATCretNotEvent == 0;",
      "const bool pumping = ATCretNotEvent <= 0;", LINK + ":AtCommandLine.*", "ATCretNotEvent -1 pumps")
fault("M27", "modemlink/collect.cpp",
      "    if (product < std::numeric_limits<std::int16_t>::min() ||\n        product > std::numeric_limits<std::int16_t>::max())",
      "    if (product < std::numeric_limits<std::int32_t>::min() ||\n        product > std::numeric_limits<std::int32_t>::max())",
      LINK + ":AtCommandLine.*", "ATBreak overflow not raised")
fault("M28", "modemlink/collect.cpp", "            reply.assign(MSComm1.Input());", "            reply.append(MSComm1.Input());",
      LINK, "ATBreak returns what came before its wait too")
fault("M31", "modemlink/collect.cpp",
      "const qsizetype ok = collected.indexOf(kOkCrLf);",
      "const qsizetype ok = collected.indexOf(QStringLiteral(\"OK\"));",
      LINK, "ATCinterRet cuts at OK without line end")
fault("M32", "modemlink/collect.cpp",
      "    if (reply.contains(QLatin1String(\"OK\"))) result = 0;\n    if (reply.contains(QLatin1String(\"ERROR\"))) result = 1;",
      "    if (reply.contains(QLatin1String(\"ERROR\"))) result = 1;\n    if (reply.contains(QLatin1String(\"OK\"))) result = 0;",
      LINK + ":AtCommandLine.*", "ATTrue: OK beats ERROR")
fault("M33", "modemlink/collect.cpp", "    MSComm1.Input();\n    MSComm1.Output(atstr + kCr);\n    Waits(3000);",
      "    MSComm1.Output(atstr + kCr);\n    Waits(3000);", LINK, "ATTrue swayed by old input")
fault("M37", "modemlink/collect.cpp", "    MSComm1.setInputLen(0);\n", "", LINK, "BufClr honours an earlier InputLen")
fault("M38", "modemlink/collect.cpp", "            const int count = MSComm1.InBufferCount();",
      "            const int count = static_cast<std::int16_t>(MSComm1.InBufferCount());", LINK, "BufClr counts in 16 bits")
fault("M39", "modemlink/modemlog.cpp", "    if (SendModemLogsw == 1) {", "    if (SendModemLogsw != 0) {", LINK, "logging on for 2 or -1")
fault("M40", "modemlink/collect.cpp",
      "    return logged(informationText(collectFinal(atstr, std::nullopt).text));",
      "    return informationText(collectFinal(atstr, std::nullopt).text);",
      LINK, "ATCinterRet not logged")
fault("M42", "modemlink/modemlog.cpp", "return {two(year % 100),", "return {two(year),", LINK, "year in the header")
fault("M43", "modemlink/modemlog.cpp",
      "    SendModemLogsw = 1;\n    if (!m_logWriter)\n        throw ModemError(errc::kLogWriteFailed, QStringLiteral(\"no log writer is available\"));\n"
      "    Logfilename = m_logWriter->cPath() + QStringLiteral(\"MDCOM.LOG\");",
      "    if (!m_logWriter)\n        throw ModemError(errc::kLogWriteFailed, QStringLiteral(\"no log writer is available\"));\n"
      "    Logfilename = m_logWriter->cPath() + QStringLiteral(\"MDCOM.LOG\");\n    SendModemLogsw = 1;",
      LINK, "a failing LogswOn leaves the switch off")
fault("M44", "modemlink/mdcomm.cpp", "    if (!instance) {\n        if (!factory())",
      "    if (true) {\n        if (!factory())", LINK + ":SystemSurvey.*", "each reference makes a new instance")
fault("M46", "modemlink/mdcomm.cpp",
      "    MSComm1.waitForInput(static_cast<int>(budget.count()));\n    // Without pumping, a request to end (a signal's) is the one thing let through.\n    m_pump.pumpCloseRequests();",
      "    MSComm1.waitForInput(static_cast<int>(budget.count()));",
      LINK + ":Signals*:EndedBySignal*:AtCommandLine.*", "no-events collection does not see a close request")
fault("M47", "modemlink/pendingexchange.cpp", "    if (elapsed >= m_wait) return std::nullopt;",
      "    if (elapsed > m_wait) return std::nullopt;", LINK, "exchange limit one cycle late")
fault("M48", "platform/runtime/systemtickclock.cpp",
      "return static_cast<std::int32_t>(static_cast<std::uint32_t>(ms));",
      "return static_cast<std::int32_t>(ms > INT32_MAX ? std::uint64_t{INT32_MAX} : ms);",
      LINK, "tick count saturates instead of wrapping")
fault("M49", "platform/runtime/systemtickclock.cpp",
      "return static_cast<std::int32_t>(static_cast<std::uint32_t>(ms));",
      "return static_cast<std::int32_t>(static_cast<std::uint32_t>(ms % 0x7FFFFFFFu));",
      LINK, "tick count wraps at 2^31-1 back to 0")

# --- qel-v at: request, verdict, rendering -----------------------------------------------
fault("V01", "app/atverdict.cpp", "    return held == AtVerdict::Refused ? held : AtVerdict::NoAnswer;",
      "    return held;", AT, "another success counts as the expected reply")
fault("V02", "app/atverdict.cpp", "    return holdsUncodedRefusal(reply) ? AtVerdict::Refused : AtVerdict::NoAnswer;",
      "    return AtVerdict::NoAnswer;", AT, "NO ANSWER/NO DIALTONE not refusals")
fault("V03", "app/atverdict.cpp", "            return e.code == 1 ? AtVerdict::Refused : AtVerdict::NoAnswer;",
      "            return e.code == -1 ? AtVerdict::Refused : AtVerdict::NoAnswer;", AT, "attrue statuses")
fault("V04", "modemlink/resultwords.h", "inline constexpr std::array<int, 16> kSuccessCodes{0,  1,  5,  10, 11, 12, 13, 14,\n                                                   18, 19, 21, 26, 28, 67, 69, 82};",
      "inline constexpr std::array<int, 16> kSuccessCodes{0,  1,  5,  10, 11, 12, 13, 14,\n                                                   18, 19, 21, 26, 28, 67, 69, 2};", AT, "RING is success, PIAFS is not")
fault("V05", "app/atverdict.cpp", "    return fixedWait && text.isEmpty() ? AtVerdict::NoAnswer : AtVerdict::Success;",
      "    return AtVerdict::Success;", AT, "atcinterret --break with nothing is success")
fault("V08", "app/atport.cpp|app/atcommand.cpp", "    port.setDTREnable(true);\n    port.setRTSEnable(true);\n    port.setHandshaking(0);\n    try {",
      "    port.setRTSEnable(true);\n    port.setHandshaking(0);\n    try {", AT + ":HeldPort.*", "qel-v at does not raise DTR")
fault("V09", "app/atcommand.cpp", "unit.ATCretNotEvent = r.noEvents ? 1 : 0;", "unit.ATCretNotEvent = r.noEvents ? 0 : 1;", AT, "--no-events inverted")
fault("V10", "app/atcommand.cpp",
      "    ending.timedOut = reply.limitReached;\n",
      "",
      AT, "--timeout exit status")
fault("V11", "app/atrender.cpp", "if (ending.reply) text = QStringLiteral(\"reply: \") + escapeForTerminal(*ending.reply) + u'\\n';",
      "if (ending.reply) text = QStringLiteral(\"reply: \") + *ending.reply + u'\\n';", AT + ":" + ESC, "at prints the reply raw")
fault("V12", "app/atrender.cpp", "ending.reply ? jsonStringLiteral(*ending.reply) : QStringLiteral(\"null\");",
      "ending.reply ? jsonStringLiteral(*ending.reply) : QStringLiteral(\"\\\"\\\"\");", AT, "attrue JSON reply not null")
fault("V14", "app/atrequest.cpp",
      "number<std::int16_t>(\"--break\", v, std::numeric_limits<std::int16_t>::min());",
      "static_cast<std::int16_t>(number<std::int32_t>(\"--break\", v, std::numeric_limits<std::int32_t>::min()));",
      AT, "--break 40000 wraps instead of a usage error")
fault("V17", "app/atrequest.cpp", "    if (r.timeout && r.op != AtOp::AtcRet && r.op != AtOp::AtcInterRet)",
      "    if (r.timeout && r.op != AtOp::AtcRet && r.op != AtOp::AtcInterRet && r.op != AtOp::SendModem)", AT, "--timeout accepted with sendmodem")

# --- Options -----------------------------------------------------------------------------
fault("O01", "app/options.cpp", "    return pair(\"--demo\", \"--text\") || pair(\"--demo\", \"--json\") ||",
      "    return pair(\"--demo\", \"--json\") ||", AT + ":Modes.*", "--demo --text refused")
fault("O04", "app/options.cpp", "        if (options.error.isEmpty() && !given.contains(name)) given << name;",
      "        if (options.error.isEmpty()) given << name;", AT + ":Modes.*", "a repeated option clashes with itself")

# --- Escaping and the renderers ----------------------------------------------------------
fault("E01", "platform/base/textescape.cpp", "return c < 0x20 || (c >= 0x7F && c <= 0x9F);",
      "return c < 0x20 || (c >= 0x7F && c <= 0x9E);", ESC, "U+009F reaches the terminal raw")
fault("E02", "platform/base/textescape.cpp", "return c < 0x20 || (c >= 0x7F && c <= 0x9F);",
      "return c < 0x20 || (c >= 0x80 && c <= 0x9F);", ESC, "DEL reaches the terminal raw")
fault("E03", "platform/base/textescape.cpp", "        if (u == u'\\\\')\n            out += QStringLiteral(\"\\\\\\\\\");\n        else if (u == u'\\r')",
      "        if (u == u'\\r')", ESC, "backslash not escaped: \\r from a device reads as CR")
fault("E04", "platform/base/textescape.cpp", "        if (u == u'\"' || u == u'\\\\')", "        if (u == u'\\\\')", ESC, "quote not escaped in JSON")
fault("E06", "platform/base/textescape.cpp", "        } else if (u == u'\\n' || !isControlCharacter(u)) {",
      "        } else if (true) {", ESC, "tooltips show control characters raw")
fault("E08", "app/gridrender.cpp", "    return escapeForTerminal(cell.text);\n}", "    return cell.text;\n}", ESC, "table prints device text raw")
fault("E11", "survey/atfailure.cpp", "attempt.answered ? attempt.reply.left(kKeptReply) : QString()",
      "attempt.answered ? attempt.reply : QString()", ESC, "failure reply kept whole")
fault("E12", "survey/atfailure.cpp", "    if (attempt.reply.isEmpty()) return kNoAnswer.arg(attempt.waitMs);\n",
      "", ESC, "silent device reported as an answer without OK")
fault("E13", "survey/atfailure.cpp", "(attempt.errorNumber == errc::kPortIoFailed ? kDeviceGone : kExchangeFailed)",
      "(kExchangeFailed)", ESC, "device gone not told apart")
fault("R02", "app/gridrender.cpp", "            const QString where = col == 1 ? QString() : u' ' + cells.at(0, col).text;",
      "            const QString where = QString();", ESC, "notes do not say which column")
fault("R04", "app/gridrender.cpp", "    const QJsonObject survey{{QStringLiteral(\"complete\"), complete},",
      "    const QJsonObject survey{{QStringLiteral(\"complete\"), true},", ESC + ":InterruptedSurvey.*", "interrupted JSON says complete")
fault("R06", "app/gridrender.cpp", "    if (withReply) object.insert(QStringLiteral(\"reply\"), cell.reply);", "", ESC, "JSON without the failed reply")
fault("R07", "app/tablelayout.cpp",
      "            widths[c] = std::max(widths[c], displayWidth(line[col]));",
      "            widths[c] = std::max(widths[c], static_cast<int>(line[col].size()));",
      ESC + ":TableFit*:TableLayout*", "Japanese columns misaligned")

# --- The log writer's safety and the reader ----------------------------------------------
fault("L01", "platform/modemlog/filelogwriter.cpp", "O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK",
      "O_RDWR | O_APPEND | O_CREAT | O_NONBLOCK", LOG, "log written through a symbolic link")
fault("L02", "platform/modemlog/filelogwriter.cpp", "        if (!S_ISREG(info.st_mode)) refuse(fileName, QStringLiteral(\"not a regular file\"));\n",
      "", LOG, "log written into a device or FIFO")
fault("L03", "platform/modemlog/filelogwriter.cpp", "        if (info.st_size > 0 && !startsAsLog(readStart(fd, fileName)))",
      "        if (false && !startsAsLog(readStart(fd, fileName)))", LOG, "a stranger's file is extended")
fault("L05", "platform/modemlog/filelogwriter.cpp", "        if ((info.st_mode & 07777) != kFileMode && ::fchmod(fd, kFileMode) != 0)",
      "        if (false && ::fchmod(fd, kFileMode) != 0)", LOG, "existing log not made private")
fault("L06", "platform/modemlog/filelogwriter.cpp", "    if (::fdatasync(m_fd) != 0) throwIoError(QStringLiteral(\"syncing\"), m_fileName, errno);\n",
      "", LOG, "records not synced")
fault("L08", "platform/modemlog/filelogwriter.cpp", "        // Replies must not land in a file whose session header is missing.\n        closeCurrent();\n",
      "", LOG, "replies after a failed header still written")
fault("L09", "platform/modemlog/filelogwriter.cpp", "    qToLittleEndian<quint16>(text.utf16(), text.size(), payload.data());",
      "    qToBigEndian<quint16>(text.utf16(), text.size(), payload.data());", LOG, "reply bytes big-endian")
fault("L15", "app/readlog.cpp", "    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {", "    if (::fstat(fd, &info) != 0) {", LOG, "--read-log reads a device for ever")

# --- In-use checks, the drain, the port map ----------------------------------------------
fault("U01", "platform/serial/machine/portguard.cpp",
      "    checkFlock(fd, path);\n    clearLeftovers",
      "    clearLeftovers",
      SERIAL, "a port flocked by picocom is opened")
fault("U02", "platform/serial/machine/portguard.cpp",
      "    if (excl && leftovers.locks.empty()) exclusiveWithoutUser(path, sources);\n",
      "",
      SERIAL, "a port in exclusive mode not reported")
fault("U04", "platform/serial/machine/uucplock.cpp", "    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;",
      "    return ::kill(static_cast<pid_t>(pid), 0) == 0;", SERIAL, "a lock by another user's process ignored")
fault("U06", "platform/serial/machine/portuse.cpp", "    if (isKernelConsole(kernelName, sources.sysClassTty))", "    if (false)", SERIAL, "console port opened")
fault("U08", "platform/serial/machine/portguard.cpp", "    if (const auto use = findPortUse(given, sources)) busy(use->message());\n", "",
      SERIAL, "a held port is opened (DTR raised) before it is found busy")
fault("U09", "platform/serial/machine/procholders.cpp", "            if (!holders.farEnds.contains(pid)) holders.users << pid;",
      "            holders.users << pid;", SERIAL + ":Survey*:DemoMode.*", "the device behind a pty counts as a user")
fault("D01", "platform/serial/linetime.cpp",
      "return std::chrono::milliseconds(bytes * 10 * 1000 / rate) + kMargin;",
      "return std::chrono::milliseconds(bytes * 8 * 1000 / rate) + kMargin;",
      SERIAL, "drain bound too short")
fault("D02", "platform/serial/machine/qttransport.cpp", "    if (!drainOutput(m_port, m_baudRate)) m_port.clear(QSerialPort::Output);",
      "    m_port.clear(QSerialPort::Output);", SERIAL, "close drops the last command")
fault("D03", "platform/serial/machine/outputdrain.cpp", "    const bool drained = drainQtBuffer(port, fd, deadline) && drainKernelQueue(fd, deadline);",
      "    const bool drained = drainQtBuffer(port, fd, deadline);", SERIAL, "kernel queue not drained")
fault("D05", "platform/serial/machine/outputdrain.cpp", "    const auto deadline = Clock::now() + drainBound(pending, baudRate);",
      "    const auto deadline = Clock::now() + std::chrono::hours(1);", SERIAL, "a stuck device holds the close for ever")
fault("PM02", "platform/serial/machine/portmap.cpp", "    return aNumber < bNumber;", "    return QString::number(aNumber) < QString::number(bNumber);", MAP, "ttyUSB10 before ttyUSB2")
fault("PM03", "platform/serial/machine/portmap.cpp", "    if (nodes.size() > kMaxPorts) nodes.resize(kMaxPorts);\n", "", MAP, "more than 16 mapped")
fault("PM04", "platform/serial/machine/portmap.cpp", "    if (!info.exists() && !info.isSymLink()) return std::nullopt;", "    if (!info.exists()) return std::nullopt;",
      MAP + ":" + SERIAL, "a dangling link reads as no entry")
fault("RS02", "platform/serial/machine/routedserialport.cpp", "    return QString::fromLatin1(m_transport->read(m_inputLen));", "    return QString::fromLatin1(m_transport->read(0));",
      SERIAL + ":" + LINK, "InputLen ignored")
fault("RS03", "platform/serial/machine/routedserialport.cpp", "    m_transport->write(text.toLatin1());", "    m_transport->write(text.toUtf8());", SERIAL + ":" + LINK, "bytes above 127 sent as UTF-8")
