/* What the copier says to the user. */
#ifndef KELBRANO_COPIERTEXTS_H
#define KELBRANO_COPIERTEXTS_H

extern const char kUsageText[];
extern const char kOpenFileFailed[];
extern const char kNoMemory[];
extern const char kReadFailed[];
extern const char kOpenClipboardFailed[];
extern const char kEmptyClipboardFailed[];
extern const char kSetClipboardFailed[];
extern const char kWaitingForInput[];
extern const char kCancelButton[];

#endif
