#include "devicesheet.h"

namespace qelv::modemsim {

namespace {

// The 27.007 identification and its V.250 twin answer alike on the modules that know both.
std::vector<std::pair<std::string_view, std::string_view>> identification(std::string_view maker,
                                                                          std::string_view model,
                                                                          std::string_view revision,
                                                                          std::string_view serial) {
    return {{"+CGMI", maker},    {"+GMI", maker},    {"+CGMM", model},  {"+GMM", model},
            {"+CGMR", revision}, {"+GMR", revision}, {"+CGSN", serial}, {"+GSN", serial}};
}

}  // namespace

// Tests and the demo mode compare against these texts byte for byte; change them together.
const DeviceSheet& classicModemSheet() {
    static const DeviceSheet sheet{
        {"56000", "255", "OK", "QEL-SIM V.92 Data/Fax Modem Version 2.1.0",
         "QEL Simulation Works SIM-5600 Rev 4"},
        {}};
    return sheet;
}

// Quectel, "EC25&EC21 AT Commands Manual" V1.3 (2018): ATI prints the maker, the model and a
// "Revision:" line; AT+GMI/AT+CGMI, +GMM/+CGMM, +GMR/+CGMR and +GSN/+CGSN one bare line
// each. Echo is on at power-up (ATE1).
const DeviceSheet& quectelEc25Sheet() {
    static const DeviceSheet sheet{
        {"Quectel\r\nEC25\r\nRevision: EC25EFAR06A06M4G"},
        identification("Quectel", "EC25", "EC25EFAR06A06M4G", "866758040123456")};
    return sheet;
}

// SIMCom, "SIM7500_SIM7600 Series AT Command Manual" V1.10: ATI prints labelled lines
// (Manufacturer, Model, Revision, IMEI, +GCAP); AT+CGMR answers "+CGMR: <revision>".
const DeviceSheet& simcomSim7600Sheet() {
    static const DeviceSheet sheet = [] {
        DeviceSheet s{{"Manufacturer: SIMCOM INCORPORATED\r\nModel: SIMCOM_SIM7600E-H\r\n"
                       "Revision: SIM7600M22_V2.0\r\nIMEI: 861234567890123\r\n+GCAP: +CGSM"},
                      identification("SIMCOM INCORPORATED", "SIMCOM_SIM7600E-H",
                                     "LE20B04SIM7600M22", "861234567890123")};
        s.extended[4].second = "+CGMR: LE20B04SIM7600M22";
        return s;
    }();
    return sheet;
}

// u-blox, "SARA-R4 series AT commands manual" (UBX-17003787): +CGMI, +CGMM, +CGMR, +CGSN and
// their V.250 forms; the revision carries its build date; ATI prints the model.
const DeviceSheet& ubloxSaraR4Sheet() {
    static const DeviceSheet sheet{
        {"SARA-R410M-02B"},
        identification("u-blox", "SARA-R410M-02B", "L0.0.00.00.05.06 [Feb 03 2018 13:00:41]",
                       "004401083682553")};
    return sheet;
}

// SIMCom, "SIM800 Series AT Command Manual" V1.09: a 2G module that autobauds (AT+IPR=0) on
// the first "AT" it hears; ATI prints "SIM800 R14.18"; AT+CGMR answers "Revision:<revision>".
const DeviceSheet& simcomSim800Sheet() {
    static const DeviceSheet sheet{{"SIM800 R14.18"},
                                   identification("SIMCOM_Ltd", "SIMCOM_SIM800",
                                                  "Revision:1418B04SIM800C24", "868345031234567")};
    return sheet;
}

// Espressif, "ESP-AT User Guide", Basic AT Commands (release v2.2.0.0): the UART runs at
// 115200 8N1 by default; AT+GMR prints four version lines; there is no ATI and no +GMI,
// +GMM, +GSN or 27.007 identification. Echo is on at power-up (ATE1).
const DeviceSheet& espAtSheet() {
    static const DeviceSheet sheet{
        {},
        {{"+GMR",
          "AT version:2.2.0.0(c6fa6bf - ESP32 - Jul  2 2021 06:44:05)\r\nSDK "
          "version:v4.2.2-76-gefa6eca\r\ncompile time(3a696ba):Jul  2 2021 11:54:43\r\nBin "
          "version:2.2.0(WROOM-32)"}}};
    return sheet;
}

// USRobotics, "56K Softmodem Command Reference": I0 the product code, I1 a checksum, I2 the
// ROM check's own "OK", I3 the identification codes, I4 the product description, then the
// country code, data pump and build date; +GMI, +GMM and +GMR as V.250 has them, no +GSN.
const DeviceSheet& usr56kSheet() {
    static const DeviceSheet sheet{
        {"56000", "255", "OK", "SoftK56V_B2.1_V7.04.05", "SoftK56 Data Fax", "181",
         "SoftK56 CModem Version 12 Rksample Version 342", "255", "Jan 7 2004 # 15:45:08", "USA"},
        {{"+GMI", "U.S. Robotics"}, {"+GMM", "USR5637 56K Faxmodem"}, {"+GMR", "V7.04.05"}}};
    return sheet;
}

}  // namespace qelv::modemsim
