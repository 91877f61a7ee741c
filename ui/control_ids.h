// Control and command identifiers of Form1. Shared with the end-to-end driver,
// which finds the controls by these ids.
#pragma once

namespace ControlId {
// Form1
constexpr int Label1 = 101;
constexpr int Label2 = 102;
constexpr int prgToRun = 103;
constexpr int BrowseBut = 104;
constexpr int Label3 = 105;
constexpr int everyNMins = 106;
constexpr int Label4 = 107;
constexpr int AboutBut = 108;
constexpr int Close = 109;
constexpr int butExit = 110;

// mPopupSys entries
constexpr int mPopRestore = 201;
constexpr int mPopExit = 202;
} // namespace ControlId

// The main window's class name and caption; the driver finds it by both.
constexpr const wchar_t* kForm1Class = L"KelvarionForm1";
constexpr const wchar_t* kForm1Caption = L"Kelvarion";
