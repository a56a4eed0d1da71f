/* The program's string table: one list that both the resource script (through
   windres' preprocessor) and the portable code take, so every user text has
   one source. Plain C preprocessor only: this file is read by windres too. */
#ifndef TALVEN_RESOURCES_STRINGS_H
#define TALVEN_RESOURCES_STRINGS_H

#define TALVEN_STRINGS(X) \
    X(124, IDS_CHIP_IDENTITY, "Chip %02x%02x Revision:%02x%02x %c%c/%c%c '%c%c") \
    X(125, IDS_STATUS, "Status") \
    X(126, IDS_INSERT_CARD, "Please insert disk card!") \
    X(127, IDS_CARD_TYPE, "Card Type") \
    X(128, IDS_TESTING, "Testting(%u/%u)....") \
    X(129, IDS_TEST_SUCCESS, "Test success.") \
    X(131, IDS_EXIT, "Exit") \
    X(132, IDS_READER_ROW, "%s(%s)") \
    X(133, IDS_WRITE_EEPROM, "Write EEPROM") \
    X(135, IDS_WRITE_FAILURE, "Write failure!") \
    X(136, IDS_READ_FAILURE, "Read failure!") \
    X(137, IDS_COMPARE_FAILURE, "Compare failure!") \
    X(138, IDS_NAME, "Name") \
    X(139, IDS_VALUE, "Value") \
    X(140, IDS_HIGH, "High") \
    X(141, IDS_LOW, "Low") \
    X(144, IDS_PRODUCTOR, "Productor") \
    X(145, IDS_MANUFACTURE, "Manufacture") \
    X(146, IDS_SERIAL_NO, "Serial No") \
    X(147, IDS_SCSI_VERSION, "SCSI Version") \
    X(148, IDS_MMC_SPEED, "MMC Speed") \
    X(149, IDS_MS_SPEED, "MS Speed") \
    X(150, IDS_MS_PRO_SPEED, "MS Pro Speed") \
    X(151, IDS_SD_SPEED, "SD Speed") \
    X(152, IDS_SM_SPEED, "SM Speed") \
    X(153, IDS_CF_SPEED, "CF Speed") \
    X(154, IDS_POWER_CONSUMPTION, "Power Consumption") \
    X(155, IDS_EEPROM_SUCCESS, "Write EEPROM success.") \
    X(156, IDS_EEPROM_UNSUCCESS, "Write EEPROM unsuccess.") \
    X(157, IDS_EEPROM_WRITING, "Write EEPROM...") \
    X(158, IDS_DISK_REMOVED, "Disk be removed!") \
    X(159, IDS_WRITE_READ_TEST, "Write/Read Test") \
    X(160, IDS_STOP_WRITE_READ, "Stop Write/Read") \
    X(161, IDS_TEST_STOP, "Test stop") \
    X(162, IDS_NO_READER, "No card reader device.") \
    X(163, IDS_SPEED_TOO_LOW, "Speed too low!") \
    X(164, IDS_SPEED_COLUMN, "Write/Read MB/s") \
    X(165, IDS_RECORD_BEHIND, "Record behind by %u: %s") \
    X(166, IDS_RECORD_IN_USE, "file open in another program") \
    X(167, IDS_RECORD_DISK_FULL, "disk full") \
    X(168, IDS_RECORD_DENIED, "folder read-only") \
    X(169, IDS_RECORD_NOT_A_FOLDER, "folder is a file") \
    X(170, IDS_RECORD_NO_FOLDER, "folder cannot be made") \
    X(171, IDS_RECORD_FAILED, "file cannot be written") \
    X(174, IDS_RECORD_KEPT, "%u verdicts could not be written to the record in %s: %s.\n\nThey are kept in %s and go to the record when the program starts again.") \
    X(175, IDS_RECORD_NOT_KEPT, "%u verdicts could not be written to the record in %s: %s.\n\n%u of them could not be kept in %s either and are lost when the program closes. Close anyway?") \
    X(176, IDS_SPOOL_UNREAD, "spool %s cannot be read: its verdicts wait there") \
    X(177, IDS_IDENTITY_UNREAD, "reader's EEPROM could not be read: VID, PID and serial unknown") \
    X(178, IDS_CARD_TOO_FULL, "Test card has too little free space!") \
    X(179, IDS_OTHER_SPOOL, "spool %s of another computer name holds %u verdicts: they wait there") \
    X(180, IDS_SETTING_REFUSED, "%s: %s") \
    X(181, IDS_SETTINGS_WARNING, "Warning: %s") \
    X(182, IDS_BAD_HEXADECIMAL, "\"%s\" is not 1 to 4 hexadecimal digits") \
    X(183, IDS_TEXT_CONTROL, "character %u is %s, which the field cannot hold") \
    X(184, IDS_TEXT_TOO_LONG, "%u characters; the field holds %u") \
    X(185, IDS_BAD_SPEED, "\"%s\" is not 0 (High) or %d (Low)") \
    X(186, IDS_BAD_NUMBER, "\"%s\" is not a whole number from 0 to %d") \
    X(187, IDS_UNKNOWN_KEY, "unknown key %s in [%s]") \
    X(188, IDS_UNKNOWN_KEY_NEAR, "unknown key %s in [%s]; did you mean %s?") \
    X(189, IDS_KEY_ELSEWHERE, "key %s belongs in [%s], not [%s]") \
    X(190, IDS_NEAR_SECTION, "section [%s] is not [%s]; its keys are not read") \
    X(200, IDS_SERIAL_NO_DIGITS, "\"%s\" does not end in digits") \
    X(201, IDS_SERIAL_NEEDED_WITH, "missing; %s needs it") \
    X(202, IDS_SERIAL_OTHER_PREFIX, "\"%s\" does not start as SNFirst \"%s\" does") \
    X(203, IDS_SERIAL_OTHER_WIDTH, "\"%s\" ends in %u digits, SNFirst \"%s\" in %u") \
    X(204, IDS_SERIAL_BEFORE_FIRST, "\"%s\" comes before SNFirst \"%s\"") \
    X(205, IDS_SERIAL_NEXT, "%s (next of %s\226%s)") \
    X(206, IDS_SERIAL_GOES_ON, "%s (next of %s\226%s, after %s handed out before)") \
    X(207, IDS_SERIALS_USED_UP, "serial numbers used up: %s was the last") \
    X(208, IDS_STATE_DAMAGED, "station state file %s is damaged") \
    X(209, IDS_STATE_UNREADABLE, "station state file cannot be read: %s") \
    X(210, IDS_STATE_UNWRITABLE, "station state file cannot be written: %s") \
    X(211, IDS_SHIFT_COUNTS, "Tested %u   Passed %u   Failed %u   Yield %s   Not judged %u") \
    X(212, IDS_COUNTS_RESET, "Counts reset: tested %u, passed %u, failed %u, not judged %u") \
    X(213, IDS_SERIAL_STATE_MISSING, "state file missing: going on after %s, the highest in the record") \
    X(214, IDS_SERIAL_STATE_BEHIND, "state file behind the record: going on after %s, the highest in the record") \
    X(215, IDS_SERIAL_RECORD_UNREAD, "record folder cannot be read (%s): serials go on from the state file") \
    X(216, IDS_SERIAL_RECORD_NEEDED, "state file missing and record folder cannot be read (%s): no serial until it can be read") \
    X(217, IDS_STATE_HELD, "station state file held by another program: %s; this GO writes nothing") \
    X(218, IDS_SERIAL_SCANNING, "Reading the record's serials: %u of %u files") \
    X(219, IDS_SERIAL_FIXED, "%s (the same for every reader: no SNFirst/SNLast block set)") \
    X(220, IDS_SLOT_SUSPECT, "Slot %c failed %u readers in a row: check the test card in slot %c") \
    X(230, IDS_TEST_ALL, "All") \
    X(231, IDS_TEST_MEBIBYTES, "%u MiB") \
    X(250, IDS_TEST_AMOUNT_NOTE, "Testing %u MiB of each card") \
    X(232, IDS_TEXT_EMPTY, "the text is empty") \
    X(233, IDS_SETUP_LOCKED, "%s: %s (choose Write EEPROM to change it)") \
    X(240, IDS_TAB_CHARACTER, "a tab") \
    X(241, IDS_CONTROL_CHARACTER, "a control character 0x%02X") \
    X(242, IDS_TEXT_BEYOND, "character %u is U+%04X; the field holds none above U+%04X") \
    X(243, IDS_SWITCH_READ_AS, "%s: \"%s\" is not 0 or 1; read as %u (any number but 0 is 1)") \
    X(300, IDS_REPORT_TITLE, "Line report") \
    X(301, IDS_REPORT_SUMMARY, "From %s to %s, %s: %u record files, %llu lines, %llu GOs. Made %s.") \
    X(302, IDS_REPORT_BY_DAY, "by calendar day") \
    X(303, IDS_REPORT_BY_SHIFT, "by shift") \
    X(304, IDS_REPORT_NO_RECORD, "The folder holds no record in this range.") \
    X(305, IDS_REPORT_YIELD, "Yield per station") \
    X(306, IDS_REPORT_STATION, "Station") \
    X(307, IDS_REPORT_PERIOD, "Period") \
    X(308, IDS_REPORT_TESTED, "Tested") \
    X(309, IDS_REPORT_PASSED, "Passed") \
    X(310, IDS_REPORT_FAILED, "Failed") \
    X(311, IDS_REPORT_NOT_JUDGED, "Not judged") \
    X(312, IDS_REPORT_YIELD_COLUMN, "Yield") \
    X(313, IDS_REPORT_ALL, "All") \
    X(314, IDS_REPORT_MESSAGES, "Failures by message") \
    X(315, IDS_REPORT_MESSAGE, "Message") \
    X(316, IDS_REPORT_FAILURES, "Failures") \
    X(317, IDS_REPORT_SHARE, "Share") \
    X(318, IDS_REPORT_CUMULATIVE, "Cumulative") \
    X(319, IDS_REPORT_NONE_FAILED, "No reader failed.") \
    X(320, IDS_REPORT_OTHER_MESSAGES, "(other messages)") \
    X(321, IDS_REPORT_POSITIONS, "Failures by slot position") \
    X(322, IDS_REPORT_SLOT, "Slot") \
    X(323, IDS_REPORT_SUSPECT_SLOT, "station %s, slot %c: %u of %u readers failed here, %u of %u in the other slots: check the test card in slot %c") \
    X(324, IDS_REPORT_SPEED, "Speed per slot position") \
    X(325, IDS_REPORT_SPEED_NOTE, "Each hour's median in MB/s, with the band from the 10th to the 90th percentile. A card wearing or a hub slowing shows here before verdicts fail.") \
    X(326, IDS_REPORT_SPEED_LEGEND, "blue: write, green: read (MB/s)") \
    X(327, IDS_REPORT_HOUR, "Hour") \
    X(328, IDS_REPORT_SPEED_WRITE, "Write MB/s median (10-90 %)") \
    X(329, IDS_REPORT_SPEED_READ, "Read MB/s median (10-90 %)") \
    X(330, IDS_REPORT_LEDGER, "Serial ledger") \
    X(331, IDS_REPORT_NO_SERIALS, "No serial was written in this range.") \
    X(332, IDS_REPORT_BLOCKS, "Serials written per block") \
    X(333, IDS_REPORT_BLOCK, "Block") \
    X(334, IDS_REPORT_WRITTEN_COUNT, "Written") \
    X(335, IDS_REPORT_HIGHEST, "Highest") \
    X(336, IDS_REPORT_STATIONS, "Highest per station") \
    X(337, IDS_REPORT_DUPLICATES_HEAD, "Serials written more than once") \
    X(338, IDS_REPORT_DUPLICATES, "Serials written more than once: %u.") \
    X(339, IDS_REPORT_SERIAL, "Serial") \
    X(340, IDS_REPORT_TIMES, "Times") \
    X(341, IDS_REPORT_WHERE, "Where and when") \
    X(342, IDS_REPORT_NO_TESTED_SERIALS, "The read/write test's lines carry no serial: nothing to match them against.") \
    X(343, IDS_REPORT_NEVER_PROGRAMMED, "Readers tested whose serial was never seen written") \
    X(344, IDS_REPORT_NEVER_TESTED, "Serials written that were never seen tested") \
    X(345, IDS_REPORT_UNMATCHED, "Serials: %u.") \
    X(346, IDS_REPORT_TIME, "Time") \
    X(347, IDS_REPORT_QUALITY, "Data quality") \
    X(348, IDS_REPORT_UNREADABLE, "Lines that could not be read: %llu, in files: %u.") \
    X(349, IDS_REPORT_FILE, "File") \
    X(350, IDS_REPORT_LINE, "Line") \
    X(351, IDS_REPORT_WHY, "Why") \
    X(352, IDS_REPORT_FEWER_COLUMNS, "fewer columns than the header names") \
    X(353, IDS_REPORT_NO_TIME, "no time in the time column") \
    X(354, IDS_REPORT_NO_RUN, "no run number") \
    X(355, IDS_REPORT_UNKNOWN_RESULT, "result \"%s\" is none the record writes") \
    X(356, IDS_REPORT_NUL_BYTES, "NUL bytes") \
    X(357, IDS_REPORT_FILE_MISSING, "the file went away while the report was made") \
    X(358, IDS_REPORT_FILE_IN_USE, "held by another program: not read") \
    X(359, IDS_REPORT_FILE_DENIED, "no right to read it") \
    X(360, IDS_REPORT_FILE_FAILED, "could not be read to its end") \
    X(361, IDS_REPORT_REFUSED, "Refused runs") \
    X(362, IDS_REPORT_WARNINGS, "Settings warnings the stations recorded") \
    X(363, IDS_REPORT_WARNING, "Warning") \
    X(364, IDS_REPORT_FIRST, "First") \
    X(365, IDS_REPORT_LAST, "Last") \
    X(366, IDS_REPORT_NONE, "None.") \
    X(367, IDS_REPORT_BAD_DATE, "\"%s\" is not a date YYYY-MM-DD") \
    X(368, IDS_REPORT_BACKWARDS, "--from %s comes after --to %s") \
    X(369, IDS_REPORT_NO_FOLDER, "%s is no folder that can be read") \
    X(370, IDS_REPORT_NOT_WRITTEN, "the report could not be written to %s") \
    X(371, IDS_REPORT_NO_RECORD_IN, "No record from %s to %s; the page says so:") \
    X(372, IDS_REPORT_WRITTEN, "Report written to %s") \
    X(373, IDS_REPORT_LINES, "Lines") \
    X(374, IDS_REPORT_NO_BROWSER, "The report was written to %s, but no browser could be started to show it (error %u).")

#endif
