// What the user must read, byte for byte, in each test of the program.
#ifndef KELBRANO_TESTS_TEXTS_H
#define KELBRANO_TESTS_TEXTS_H

#include <string>

namespace expected {
const char Usage[] =
    "Indicare su linea di comando il nome del file di testo da copiare in clipboard.\r\n\r\n"
    "Please specify on the command-line the name of the text file to be copied into clipboard.\r\n\r\n"
    "Esempio/Example:\r\nKELBRANO TEXT.TXT";
const char OpenFailed[] = "Errore nell'apertura del file.\n\rError opening the file.";
const char NoMemory[] = "Errore nell'ottenimento del puntatore globale.";
const char ReadFailed[] = "Errore nella lettura del file.";
const char ClipboardBusy[] = "Errore nell'apertura della clipboard.";
const char EmptyFailed[] = "Errore nello svuotamento della clipboard.";
const char SetFailed[] = "Errore nella scrittura della clipboard.";
const char DialogFailedBox[] = "MessageBoxA Errore nella creazione del dialog. | VEZID | 16";
const std::string Home = "http://www.kelbrano.example/index.html";
const std::string HomeNotFound =
    "Errore: Documento '" + Home + "' non trovato.\r\n\r\nError: Document '" + Home + "' not found.";
} // namespace expected

#endif
