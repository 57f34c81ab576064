#pragma once
// Every key of the settings store, declared once with its section, type and default. Readers
// and writers go through these declarations; nothing is cached.
#include "platform/framework/recentfilelist.h"
#include "settings/numberstring.h"
#include <QString>

// An integer value.
struct IntKey {
    const char *section;
    const char *name;
    int def;
    int read() const;
    void write(int value) const;
};

// A number kept as decimal text.
struct NumberKey {
    const char *section;
    const char *name;
    const char *def;
    NumberForm form;
    int32_t read() const;
    void write(int32_t value) const;
};

namespace Keys {
inline const char *const kSettings = "Settings";
inline const char *const kFont = "FONT";
inline const char *const kPrintFont = "PFONT";
// The recent-file list is kept by the framework, which declares its keys.
inline const char *const kRecentFileList = RecentFileList::kSection;
inline const char *const kRecentFileEntry = RecentFileList::kEntryFormat;

inline constexpr IntKey WindowMode{"Settings", "WindowMode", 1};
inline constexpr IntKey WindowMode2{"Settings", "WindowMode2", 3};
inline constexpr IntKey WM3{"Settings", "WM3", 1};
inline constexpr IntKey FrameLeft{"Settings", "left", 0};
inline constexpr IntKey FrameTop{"Settings", "top", 0};
inline constexpr IntKey FrameRight{"Settings", "right", 400};
inline constexpr IntKey FrameBottom{"Settings", "bottom", 300};
inline constexpr IntKey Toolbar{"Settings", "Toolbar", 1};
inline constexpr IntKey Statusbar{"Settings", "Statusbar", 1};
inline constexpr IntKey LSPS{"Settings", "LSPS", 4};
inline constexpr IntKey TUNE{"Settings", "TUNE", 0};
inline constexpr IntKey WordWrap{"Settings", "wordwrap", 1};
inline constexpr IntKey Indent{"Settings", "Indent", 1};
inline constexpr IntKey Indent2{"Settings", "Indent2", 4};
inline constexpr IntKey Jidou{"Settings", "Jidou", 1};
inline constexpr NumberKey Jidou1{"Settings", "Jidou1", "600", NumberForm::Unsigned};
inline constexpr NumberKey Jidou2{"Settings", "Jidou2", "10", NumberForm::Unsigned};
inline constexpr IntKey Cch{"Settings", "cch", 0};
inline constexpr NumberKey JBK{"Settings", "J-BK", "16777215", NumberForm::Signed};
inline constexpr NumberKey BackColor{"Settings", "BACKCOLOR", "16777215", NumberForm::Signed};
inline constexpr IntKey PreviewPages{"Settings", "PreviewPages", 0};
inline constexpr NumberKey FontHeight{"FONT", "yHeight", "0", NumberForm::Signed};
inline constexpr IntKey MarginLeft{"PFONT", "left", 1000};
inline constexpr IntKey MarginRight{"PFONT", "right", 1000};
inline constexpr IntKey MarginTop{"PFONT", "top", 1000};
inline constexpr IntKey MarginBottom{"PFONT", "bottom", 1000};
} // namespace Keys
