/* The menu program run with no argument, as from a double-click: one box
   says what it will do and asks; nothing changes before the answer. */
#include <windows.h>

#include "MenuQuestion.h"
#include "MenuRegistry.h"
#include "MenuTexts.h"
#include "SignedInAccount.h"

// The longest question: kAskUpdate's some 200 units, two commands of fewer
// than kCommandRoom each and both warnings' some 380, about 1,100 in all;
// more than the 1,024 units wsprintfW writes.
static const size_t kQuestionRoom = 2048;

/* format, each %ls in it filled in with the next of the count texts (with
   nothing once they are used up), into question, cut short at kQuestionRoom
   units. */
static void FillIn(const wchar_t *format, const wchar_t *const *texts, size_t count, wchar_t *question)
{
    size_t at = 0;
    for (; *format && at < kQuestionRoom - 1; format++) {
        if (format[0] != L'%' || format[1] != L'l' || format[2] != L's') {
            question[at++] = *format;
            continue;
        }
        const wchar_t *text = count ? *texts++ : L"";
        count -= count ? 1 : 0;
        for (; *text && at < kQuestionRoom - 1; text++)
            question[at++] = *text;
        format += 2;
    }
    question[at] = L'\0';
}

/* The box's answer: IDYES, IDNO, or 0 when it could not be shown. */
static int Ask(const wchar_t *format, const wchar_t *const *texts, size_t count)
{
    wchar_t question[kQuestionRoom];
    FillIn(format, texts, count, question);
    return MessageBoxW(nullptr, question, kMenuTitle, MB_YESNO | MB_ICONQUESTION);
}

int AskAndChangeMenu(const MenuPlace *place)
{
    const wchar_t *error = nullptr;
    const wchar_t *done = nullptr;
    wchar_t current[kCommandRoom];
    MenuState state = GetMenuState(place->command, current);
    const wchar_t *account = RunsAsSignedInAccount() ? L"" : kOtherAccountWarning;
    const wchar_t *farDrive = place->farDrive ? kFarDriveWarning : L"";
    int answer = IDNO;

    if (state == kMenuHere) {
        const wchar_t *const texts[] = {place->command, account};
        answer = Ask(kAskRemove, texts, 2);
        if (answer == IDYES) {
            error = RemoveMenuEntry();
            done = kRemoved;
        }
    } else if (place->refusal) {
        error = place->refusal;
    } else {
        const wchar_t *const texts[] = {current, place->command, farDrive, account};
        answer = state == kMenuAbsent ? Ask(kAskAdd, texts + 1, 3) : Ask(kAskUpdate, texts, 4);
        if (answer == IDYES) {
            error = AddMenuEntry(place->command);
            done = kAdded;
        }
    }

    if (answer == 0) // no box to answer, nor to say so in
        return 1;
    if (error) {
        MessageBoxW(nullptr, error, kMenuTitle, MB_OK | MB_ICONERROR);
        return 1;
    }
    if (done)
        MessageBoxW(nullptr, done, kMenuTitle, MB_OK | MB_ICONINFORMATION);
    return 0;
}
