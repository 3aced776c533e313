# Run by cpack before it writes the zip: every entry gets the same time stamp,
# SOURCE_DATE_EPOCH when it is set, else 2026-01-01 00:00 UTC, and the zip's
# DOS times are worked out in UTC, whatever the builder's time zone.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    set(ENV{SOURCE_DATE_EPOCH} 1767225600)
endif()
set(ENV{TZ} UTC)
