#pragma once
// Resource and control ids of the program.

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_QUILLON_DIALOG = 102;
inline constexpr int IDR_MAINFRAME = 127;
inline constexpr int IDI_ABOUT = 128;  // named by the About box; not among the resources
inline constexpr int IDI_LAMP_GREEN = 130;
inline constexpr int IDI_LAMP_RED = 131;
inline constexpr int IDI_LAMP_YELLOW = 132;
inline constexpr int IDS_ABOUTBOX = 101;  // not among the resources: no About entry
inline constexpr int IDS_APP_TITLE = 57344;

inline constexpr int IDC_OPEN_CLOSE = 1000;
inline constexpr int IDC_PORT = 1001;
inline constexpr int IDC_PASSWORD = 1002;
inline constexpr int IDC_SET_CLOCK = 1003;
inline constexpr int IDC_READ_PASSWORD = 1004;
inline constexpr int IDC_COMM = 1005;
inline constexpr int IDC_DATE = 1006;
inline constexpr int IDC_READ_BACK = 1007;
inline constexpr int IDC_SET_PASSWORD = 1008;
inline constexpr int IDC_TIME = 1009;
inline constexpr int IDC_RECORDS = 1010;
inline constexpr int IDC_ALARM_ANGLE = 1011;
inline constexpr int IDC_SET_ALARM_ANGLE = 1012;
inline constexpr int IDC_ZERO_SET = 1013;
inline constexpr int IDC_ZERO_RESET = 1014;
inline constexpr int IDC_READ_RECORDS = 1015;
inline constexpr int IDC_SAVE_RECORDS = 1016;
inline constexpr int IDC_CLEAR_RECORDS = 1017;
inline constexpr int IDC_CLEAR_LIST = 1018;
inline constexpr int IDC_STATUS_WORD = 1019;
inline constexpr int IDC_STATUS_LAMP = 1020;
inline constexpr int IDC_TEST = 1021;
