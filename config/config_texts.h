#pragma once

#include <string_view>

namespace velqo {

// Names of the configuration files and their section.
inline constexpr std::string_view kIniSection = "WINVELQO";
inline constexpr std::string_view kIniFileName = "WINVELQO.INI";
inline constexpr std::string_view kOptionsUpdName = "OPTIONS.UPD";
inline constexpr std::string_view kAppTitle = "ProVelqo";  // caption of plain messages

// Captions.
inline constexpr std::string_view kErrorCaption = "Error";
inline constexpr std::string_view kCautionCaption = "Caution!";

// INI file messages.
inline constexpr std::string_view kIniKeyMissing = "Error in WINVELQO.INI - ReSelect Options";
inline constexpr std::string_view kIniWriteFailed =
    "Error in writing to WINVELQO.INI - ReSelect Options";
inline constexpr std::string_view kNoWindowsDir = "Could Not Find Windows Directory";
inline constexpr std::string_view kPath1Invalid = "Directory Path 1 is invalid and will not be saved";
inline constexpr std::string_view kPath2Invalid = "Directory Path 2 is invalid and will not be saved";

// OPTIONS.UPD messages.
inline constexpr std::string_view kUpdWriteFailed =
    "Error in writing to OPTIONS.UPD - ReSelect Options";

// Template messages.
inline constexpr std::string_view kMustUseOpt = "File Must Use The Extension .OPT";

// Batch messages.
inline constexpr std::string_view kNoDirPairs =
    "There Are No DirPair Entries In WINVELQO.INI - See \"Use Batch File Method\" in Help";

// Switch alerts; the /J alert reads differently when the file load repeats it.
inline constexpr std::string_view kAlertBrief =
    "You Are Running With The /B Switch Set - Only Errors Will Be Recorded In The Log File";
inline constexpr std::string_view kAlertDirDel =
    "You Are Running With The /E Switch Set - Entire Directories Can Be Deleted By CleanUp";
inline constexpr std::string_view kAlertJfdiAtReading =
    "You Are Running With The /J Switch Set - All UpDate Warning Messages Will Be Suppressed";
inline constexpr std::string_view kAlertJfdiAtLoad =
    "You Are Running With The /J Switch Set - All Update Warning Messages Will Be Suppressed";
inline constexpr std::string_view kAlertXattr =
    "You Are Running With The /O Switch Set - "
    "All Target Files, EVEN READ ONLY FILES, Will Be "
    "Overwritten And Their Attributes Reset To The Values "
    "Of The Source File's Attributes";
inline constexpr std::string_view kAlertPathsReadOnly =
    "You Are Running With The /G Switch Set - Dir1 & Dir2 Settings In The .INI File Will Be "
    "Read-Only";

}  // namespace velqo
