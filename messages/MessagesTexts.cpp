/* What the message dialog and the document opener say. The opening failures
   are formats: %s is the document, %ld the shell's result. */
#include "MessagesTexts.h"

// The banner's lines end with bare line feeds.
const char kBanner[] =
    "KELBRANO.EXE v.1.0\n"
    "(C) 2026 Kelbrano Makers - http://www.kelbrano.example/\n"
    "\n";
const char kHomePage[] = "http://www.kelbrano.example/index.html";
const char kDialogFailed[] = "Errore nella creazione del dialog.";
const char kDialogFailedCaption[] = "VEZID";

const char kDocumentNotFound[] =
    "Errore: Documento '%s' non trovato.\r\n"
    "\r\n"
    "Error: Document '%s' not found.";
const char kNoApplication[] =
    "Errore: su questo sistema non esiste alcuna applicazione in grado di aprire il documento '%s'.\r\n"
    "\r\n"
    "Error: on this system there is no application that can open document '%s'.";
const char kOpenDocumentFailed[] =
    "Errore %ld nell'apertura del documento '%s'.\r\n"
    "\r\n"
    "Error %ld while opening document '%s'.";
