#pragma once
// The running numbers of the files the program names by itself (grabbed images, scan groups,
// text exports, video sequences), the experiment number of new root directories, and the
// user's file-name prefixes. All live in velm.ini; creating a new root directory resets the
// four counters. Other subsystems use these operations, never the keys.

#include <ctime>
#include <string>

inline constexpr const char* kMainframeSection = "Mainframe Parameters";
inline constexpr const char* kPrefixSection = "Default Filename Prefixes";

// The counter values (a missing key reads as 0). Reading does not change them.
int GetNextImageNumber();
int GetNextScanGroupNumber();
int GetNextExportFileNumber();
int GetNextVideoSequenceNumber();

// Add one. Name the file with the Get value, then advance once it has been written. At the end
// of a counter's range the user decides between reusing the number and starting again at 0.
void AdvanceImageNumber();
void AdvanceScanGroupNumber();
void AdvanceExportFileNumber();
void AdvanceVideoSequenceNumber();

// Resets one counter to 0 (the "Default Filenames" dialog's Reset buttons).
void ResetImageNumber();
void ResetExportFileNumber();

// The experiment number for a root directory created now; rewrites "Last Expt" with today.
int GetExperimentNumber();
// Records that an experiment number has been used (-1: the one after the stored one) and
// resets the four counters.
void CommitExperimentNumber(int number);

// The prefixes with their defaults ("image", "expor").
std::string GetImagePrefix();
std::string GetExportPrefix();
// Stores both prefixes, cut to kMaxPrefixLength characters (whole characters of UTF-8 text).
void SetPrefixes(const std::string& imagePrefix, const std::string& exportPrefix);
inline constexpr size_t kMaxPrefixLength = 5;

// "%02d%02d%02d%02d" of month, day, two-digit year and experiment number: the name of a new
// root directory created on `date`.
std::string RootDirectoryName(const std::tm& date, int experimentNumber);
