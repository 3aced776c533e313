/* Whether the process runs elevated, with an administrator's full token. */
#ifndef KELBRANO_ELEVATION_H
#define KELBRANO_ELEVATION_H

bool IsProcessElevated();

#endif
