#ifndef MURMUREX_RESOURCE_IDS_H
#define MURMUREX_RESOURCE_IDS_H
/* Resource ids of Messages.exe, shared by its resource script and its code. Plain #defines:
   the resource compiler reads this file too. */

/* The program icon: the window's and the program file's own (the lowest id, so the shell
   shows it for the file). */
#define IDI_MURMUREX 1
/* Tray and window icon while the display runs. */
#define IDI_RUNNING 2
/* Tray and window icon while the display is stopped. */
#define IDI_STOPPED 3

#endif
