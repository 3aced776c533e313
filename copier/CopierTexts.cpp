/* What the copier says to the user: Italian, some followed by English. */
#include "CopierTexts.h"

const char kUsageText[] =
    "Indicare su linea di comando il nome del file di testo da copiare in clipboard.\r\n"
    "\r\n"
    "Please specify on the command-line the name of the text file to be copied into clipboard.\r\n"
    "\r\n"
    "Esempio/Example:\r\n"
    "KELBRANO TEXT.TXT";

// This one break is a line feed followed by a carriage return.
const char kOpenFileFailed[] = "Errore nell'apertura del file.\n\rError opening the file.";
const char kNoMemory[] = "Errore nell'ottenimento del puntatore globale.";
const char kReadFailed[] = "Errore nella lettura del file.";
const char kOpenClipboardFailed[] = "Errore nell'apertura della clipboard.";
const char kEmptyClipboardFailed[] = "Errore nello svuotamento della clipboard.";
const char kSetClipboardFailed[] = "Errore nella scrittura della clipboard.";

// The wait window's, while standard input has not ended.
const char kWaitingForInput[] =
    "KELBRANO attende il testo dal suo standard input, e lo copia in clipboard quando l'input termina. "
    "Annulla: esce senza copiare.\r\n"
    "\r\n"
    "KELBRANO is waiting for text on its standard input, and copies it into clipboard when the input ends. "
    "Annulla (Cancel): quits without copying.";
const char kCancelButton[] = "Annulla";
