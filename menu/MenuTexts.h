/* What the menu program says to the user, and the text of its entry. */
#ifndef KELBRANO_MENUTEXTS_H
#define KELBRANO_MENUTEXTS_H

extern const wchar_t kMenuTitle[];
extern const wchar_t kMenuText[];
extern const wchar_t kMenuUsage[];
extern const wchar_t kAskAdd[];
extern const wchar_t kAskUpdate[];
extern const wchar_t kAskRemove[];
extern const wchar_t kCommandNotText[];
extern const wchar_t kCommandTooLong[];
extern const wchar_t kNoCommand[];
extern const wchar_t kFarDriveWarning[];
extern const wchar_t kOtherAccountWarning[];
extern const wchar_t kAdded[];
extern const wchar_t kRemoved[];
extern const wchar_t kPathTooLong[];
extern const wchar_t kPercentInPath[];
extern const wchar_t kInTempFolder[];
extern const wchar_t kNoCopier[];
extern const wchar_t kAddFailed[];
extern const wchar_t kChangeFailed[];
extern const wchar_t kRemoveFailed[];

#endif
