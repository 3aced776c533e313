/* Whether the program runs as the Windows account signed in, whose menu the
   user sees. */
#ifndef KELBRANO_SIGNEDINACCOUNT_H
#define KELBRANO_SIGNEDINACCOUNT_H

bool RunsAsSignedInAccount();

#endif
