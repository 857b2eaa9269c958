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

FR = {
    10: "Désinstallation du pilote du modem",
    31: "Le pilote du modem a été supprimé",
    39: "Veuillez redémarrer votre ordinateur avant de réinstaller le pilote du modem.",
    42: "Suppression des composants...",
    43: "Le pilote du modem et tous les programmes associés vont être supprimés "
        "de votre ordinateur.",
    44: "Voulez-vous continuer\u00a0?",
    93: "Le programme de désinstallation est déjà en cours d'exécution. "
        "Veuillez patienter jusqu'à ce qu'il soit terminé.",
    112: "Veuillez fermer tous les autres programmes et débrancher le câble USB du modem. "
         "Cliquez sur OK pour commencer la désinstallation.",
    114: "Windows doit être redémarré pour terminer la désinstallation. "
         "Voulez-vous redémarrer votre ordinateur maintenant\u00a0?",
    120: "Préparation de la désinstallation...",
    134: "Vous devez disposer des droits d'administrateur pour désinstaller le pilote du modem. "
         "Veuillez ouvrir une session en tant qu'administrateur et relancer le programme "
         "de désinstallation.",
}

IT = {
    10: "Disinstallazione del driver del modem",
    31: "Il driver del modem è stato rimosso",
    39: "Riavviare il computer prima di installare di nuovo il driver del modem.",
    42: "Rimozione di periferiche e file...",
    43: "Il driver del modem e tutti i programmi associati verranno rimossi dal computer.",
    44: "Continuare?",
    93: "Il programma di disinstallazione è già in esecuzione. "
        "Attendere il completamento dell'operazione.",
    112: "Chiudere tutti gli altri programmi e scollegare il cavo USB del modem. "
         "Fare clic su OK per avviare la disinstallazione.",
    114: "Per completare la disinstallazione è necessario riavviare Windows. "
         "Riavviare il computer ora?",
    120: "Preparazione della disinstallazione...",
    134: "Per disinstallare il driver del modem sono necessari i privilegi di amministratore. "
         "Accedere come amministratore e avviare di nuovo il programma di disinstallazione.",
}

ES = {
    10: "Quitando el controlador del módem",
    31: "Se ha quitado el controlador del módem",
    39: "Reinicie el equipo antes de volver a instalar el controlador del módem.",
    42: "Quitando dispositivos y archivos...",
    43: "Se quitarán de su equipo el controlador del módem y todos los programas asociados.",
    44: "¿Desea continuar?",
    93: "El programa de desinstalación ya se está ejecutando. Espere a que termine.",
    112: "Cierre todos los demás programas y desconecte el cable USB del módem. "
         "Haga clic en Aceptar para iniciar la desinstalación.",
    114: "Es necesario reiniciar Windows para completar la desinstalación. "
         "¿Desea reiniciar el equipo ahora?",
    120: "Preparando la desinstalación...",
    134: "Para quitar el controlador del módem se necesitan derechos de administrador. "
         "Inicie sesión como administrador y vuelva a ejecutar el programa de desinstalación.",
}

NL = {
    10: "Modemstuurprogramma verwijderen",
    31: "Het stuurprogramma is verwijderd",
    39: "Start de computer opnieuw op voordat u het modemstuurprogramma weer installeert.",
    42: "Apparaten en bestanden verwijderen...",
    43: "Het modemstuurprogramma en alle bijbehorende programma's worden van deze computer "
        "verwijderd.",
    44: "Wilt u doorgaan?",
    93: "Het verwijderprogramma wordt al uitgevoerd. Wacht tot het is voltooid.",
    112: "Sluit alle andere programma's en koppel de USB-kabel van het modem los. "
         "Klik op OK om het verwijderen te starten.",
    114: "Windows moet opnieuw worden opgestart om het verwijderen te voltooien. "
         "Wilt u de computer nu opnieuw opstarten?",
    120: "Verwijderen wordt voorbereid...",
    134: "U hebt beheerdersrechten nodig om het modemstuurprogramma te verwijderen. "
         "Meld u aan als beheerder en start het verwijderprogramma opnieuw.",
}


def confirmation(texts=EN) -> str:
    return texts[43] + "\n" + texts[44]


def restart_question(texts=EN) -> str:
    return texts[31] + "...\n" + texts[114]


CONFIRMATION = confirmation(EN)
RESTART_QUESTION = restart_question(EN)
