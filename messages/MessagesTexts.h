/* What the message dialog and the document opener say. */
#ifndef KELBRANO_MESSAGESTEXTS_H
#define KELBRANO_MESSAGESTEXTS_H

extern const char kBanner[];
extern const char kHomePage[];
extern const char kDialogFailed[];
extern const char kDialogFailedCaption[];
extern const char kDocumentNotFound[];
extern const char kNoApplication[];
extern const char kOpenDocumentFailed[];

#endif
