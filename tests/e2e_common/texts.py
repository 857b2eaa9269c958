"""The texts the tool shows, as the tests expect them: their own copy, by
string number, so that a wrong text in a language library or in the
program's own string table fails a test."""

CAPTION = "Pathmark 100 ADSL Router USB Driver Remove"
NOTICE_TOOL_INI = "ERROR : LOCAL VTX.INI FILE?"
NOTICE_SETUP_INI = "ERROR : LOCAL BRDSETUP.INI?"
NOTICE_LIBRARY = "ERROR: LOCAL KMIINST.DLL FILE?"

EN = {
    10: "Removing the modem driver",
    31: "The modem driver has been removed",
    39: "Please restart your computer before you install the modem driver again.",
    42: "Removing devices and files...",
    43: "This removes the modem driver and all of its programs from your computer.",
    44: "Do you want to continue?",
    93: "The removal tool is already running. Please wait until it has finished.",
    112: "Please close all other programs and unplug the modem's USB cable. "
         "Click OK to start the removal.",
    114: "Windows must be restarted to complete the removal. "
         "Do you want to restart your computer now?",
    120: "Preparing the removal...",
    134: "You need administrator rights to remove the modem driver. "
         "Please log on as an administrator and start the removal tool again.",
}

DE = {
    10: "Modemtreiber wird entfernt",
    31: "Der Modemtreiber wurde entfernt",
    39: "Bitte starten Sie den Computer neu, bevor Sie den Modemtreiber wieder installieren.",
    42: "Geräte und Dateien werden entfernt...",
    43: "Der Modemtreiber und alle zugehörigen Programme werden von diesem Computer entfernt.",
    44: "Möchten Sie fortfahren?",
    93: "Das Programm zum Entfernen läuft bereits. Bitte warten Sie, bis es beendet ist.",
    112: "Bitte schließen Sie alle anderen Programme und ziehen Sie das USB-Kabel des Modems ab. "
         "Klicken Sie auf OK, um mit dem Entfernen zu beginnen.",
    114: "Windows muss neu gestartet werden, um das Entfernen abzuschließen. "
         "Möchten Sie den Computer jetzt neu starten?",
    120: "Entfernen wird vorbereitet...",
    134: "Zum Entfernen des Modemtreibers sind Administratorrechte erforderlich. "
         "Bitte melden Sie sich als Administrator an und starten Sie das Programm erneut.",
}


def confirmation(texts=EN) -> str:
    return texts[43] + "\n" + texts[44]


def restart_question(texts=EN) -> str:
    return texts[31] + "...\n" + texts[114]


CONFIRMATION = confirmation(EN)
RESTART_QUESTION = restart_question(EN)
