/* Opening a document or web address through the shell. */
#ifndef KELBRANO_OPENDOCUMENT_H
#define KELBRANO_OPENDOCUMENT_H

int OpenDocument(const char *document, int showCommand);

#endif
