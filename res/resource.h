#pragma once
#include "platform/framework/afxres.h"

// Command and resource identifiers. The numbers are part of the program's interface: menus,
// accelerators, the toolbar, status-bar prompts and command routing all key on them.

// Resources
constexpr int IDR_MAINFRAME = 128;      // main frame menu, accelerators, icon, toolbar, title
constexpr int IDR_NYOTYPE = 129;        // document menu, icon, document string
constexpr int IDR_NYOTYPE_CNTR_IP = 6;  // menu and accelerators while an object is active in place
constexpr int IDD_ABOUTBOX = 100;

// The program's own commands
constexpr int ID_ESCAPE = 32768;            // Esc: taken, no handler
constexpr int ID_FORMAT_FONT = 32771;
constexpr int ID_JUMP_TOP = 32773;
constexpr int ID_JUMP_END = 32774;
constexpr int ID_JUMP_BACK = 32775;
constexpr int ID_JUMP_GOTO = 32776;
constexpr int ID_FORMAT_BACKCOLOR = 32777;
constexpr int ID_WINDOW_NEXT = 32779;
constexpr int ID_WINDOW_PREV = 32780;
constexpr int ID_WINDOW_HIDE = 32781;
constexpr int ID_WINDOW_SHOW = 32782;
constexpr int ID_VIEW_WORDWRAP = 32783;
constexpr int ID_FORMAT_PRINTFONT = 32800;
constexpr int ID_JUMP_MARK = 32801;
constexpr int ID_LINK_SENDTO = 32803;
constexpr int ID_LINK_DESKTOP = 32804;
constexpr int ID_PKL_PICK = 32805;
constexpr int ID_HELP_README = 32806;
constexpr int ID_HELP_HELP = 32807;
constexpr int ID_HELP_HOMEPAGE = 32808;
constexpr int ID_VIEW_TOPMOST = 32810;
constexpr int ID_VIEW_REDRAW = 32815;
constexpr int ID_SETTINGS_CHILDFRAME = 131;
constexpr int ID_SETTINGS_MAINFRAME = 132;
constexpr int ID_SETTINGS_INDENT = 133;
constexpr int ID_SETTINGS_HISTORY = 135;
constexpr int ID_SETTINGS_AUTOSAVE = 136;
constexpr int ID_PKL_REGISTER = 137;
constexpr int ID_PKL_EDIT = 138;
