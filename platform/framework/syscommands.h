#pragma once
// The window-system commands of a frame's system menu, by the ids of the status-bar prompts
// the framework shows for them (the string table holds the prompts).
constexpr int AFX_IDS_SCSIZE = 61184;
constexpr int AFX_IDS_SCMOVE = 61185;
constexpr int AFX_IDS_SCMINIMIZE = 61186;
constexpr int AFX_IDS_SCMAXIMIZE = 61187;
constexpr int AFX_IDS_SCNEXTWINDOW = 61188;
constexpr int AFX_IDS_SCPREVWINDOW = 61189;
constexpr int AFX_IDS_SCCLOSE = 61190;
constexpr int AFX_IDS_SCRESTORE = 61202;
constexpr int AFX_IDS_SCTASKLIST = 61203;
