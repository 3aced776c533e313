/* What a program of ours does first, before it loads or opens anything. */
#ifndef KELBRANO_PROTECTPROCESS_H
#define KELBRANO_PROTECTPROCESS_H

void ProtectProcess();

#endif
