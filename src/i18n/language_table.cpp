// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/language_table.h"

#include <array>

namespace ostrelo::i18n {
namespace {

// The texts of every language. Trailing blanks are part of some texts ("Métrique ").
const std::array<Language, 8> kLanguages = {{
    {"Español",
     {
         .TextScanning = "Escaneando...",
         .TextGameRunning = "RACE07 EN MARCHA",
         .TextGameNotRunning = "RACE07 NO CARGADO",
         .TextLapTimes = "Tiempos vuelta",
         .TextBest = "Mejor",
         .TextLast = "Ultima",
         .TextLap = "Vuelta",
         .TextWater = "Agua",
         .TextOil = "Aceite",
         .TextFuelLastLap = "Litros última vuelta",
         .TextLimiter = "LIMITADOR",
         .TextPits = "BOXES",
         .TextTC = "CT",
         .TextTCHigh = "CT ALTO",
         .TextTCLow = "CT BAJO",
         .TextABS = "ABS",
         .TextABSHigh = "ABS ALTO",
         .TextABSLow = "ABS BAJO",
         .TextIgnition = "CONTACTO",
         .TextEngine = "MOTOR",
         .TextAboutMenu = "Acerca de",
         .TextExitMenu = "Salir",
         .TextAboutTitle = "Acerca de Ostrelo",
         .TextAboutDescription = "Visualizador de datos auxiliar para el simulador de carreras "
                                 "RACE07 & GTR Evolution de Simbin.",
         .TextAboutCredit = "Programado por los desarrolladores de Ostrelo",
         .TextFileMenu = "Archivo",
         .TextOptionsMenu = "Opciones",
         .TextScanTimeMenu = "Tiempo Refresco",
         .TextIPCaption = "Dirección IP",
         .TextPortCaption = "Puerto",
         .TextBadIP = "La IP introducida no es valida"
                      "\r\n"
                      "Debería de tener la forma XXX.XXX.XXX.XXX"
                      "\r\n"
                      "Donde XXX es un valor numerico de 000 a 255",
         .TextBadPort = "El puerto introducido no es valido"
                        "\r\n"
                        "introduce un valor entre 0 y 65535",
         .TextConnectionMenu = "Conexión",
         .TextNoneMenu = "Ninguna",
         .TextServerMenu = "Servidor",
         .TextClientMenu = "Cliente",
         .TextServerDialogTitle = "Datos Servidor",
         .TextClientDialogTitle = "Datos Cliente",
         .TextOK = "Aceptar",
         .TextConnected = "CONECTADO",
         .TextConnecting = "CONECTANDO",
         .TextListening = "ESCUCHANDO",
         .TextNoConnection = "N/A",
         .TextGraphicsMenu = "Gráficos",
         .TextMetricMenu = "Metrico",
         .TextImperialMenu = "Imperial",
         .TextShowServerDataMenu = "Ver Datos Servidor",
         .TextPortHelp = "En Linux, los puertos por debajo de 1024 requieren permisos de "
                         "administrador: elija un puerto de 1024 o superior.",
     }},
    {"Català",
     {
         .TextScanning = "Escanejant...",
         .TextGameRunning = "RACE07 EN MARXA",
         .TextGameNotRunning = "RACE07 NO CARREGAT",
         .TextLapTimes = "Temps volta",
         .TextBest = "Millor",
         .TextLast = "Ultima",
         .TextLap = "Volta",
         .TextWater = "Aigua",
         .TextOil = "Oli",
         .TextFuelLastLap = "Litres última volta",
         .TextLimiter = "LIMITADOR",
         .TextPits = "BOXES",
         .TextTC = "CT",
         .TextTCHigh = "CT ALT",
         .TextTCLow = "CT BAIX",
         .TextABS = "ABS",
         .TextABSHigh = "ABS ALT",
         .TextABSLow = "ABS BAIX",
         .TextIgnition = "CONTACTE",
         .TextEngine = "MOTOR",
         .TextAboutMenu = "Info",
         .TextExitMenu = "Sortir",
         .TextAboutTitle = "Sobre el Ostrelo",
         .TextAboutDescription = "Visualitzador de dades auxiliar per el simulador de carreres "
                                 "RACE07 & GTR Evolution de Simbin.",
         .TextAboutCredit = "Programat pels desenvolupadors d'Ostrelo",
         .TextFileMenu = "Arxiu",
         .TextOptionsMenu = "Opcions",
         .TextScanTimeMenu = "Temps Refresc",
         .TextIPCaption = "Adreça IP",
         .TextPortCaption = "Port",
         .TextBadIP = "La IP introduida no es vàlida"
                      "\r\n"
                      "Hauria de tenir la forma XXX.XXX.XXX.XXX"
                      "\r\n"
                      "on XXX es un valor numèric de 000 a 255",
         .TextBadPort = "El port introduit no es vàlid"
                        "\r\n"
                        "introdueix un valor entre 0 i 65535",
         .TextConnectionMenu = "Conexió",
         .TextNoneMenu = "Cap",
         .TextServerMenu = "Servidor",
         .TextClientMenu = "Client",
         .TextServerDialogTitle = "Dades Servidor",
         .TextClientDialogTitle = "Dades Client",
         .TextOK = "Acceptar",
         .TextConnected = "CONECTAT",
         .TextConnecting = "CONECTANT",
         .TextListening = "ESCOLTANT",
         .TextNoConnection = "N/A",
         .TextGraphicsMenu = "Gràfics",
         .TextMetricMenu = "Mètric",
         .TextImperialMenu = "Imperial",
         .TextShowServerDataMenu = "Veure Dades Servidor",
         .TextPortHelp = "A Linux, els ports per sota de 1024 requereixen permisos "
                         "d'administrador: trieu un port de 1024 o superior.",
     }},
    {"Asturianu",
     {
         .TextScanning = "Escaneando...",
         .TextGameRunning = "RACE07 N'ANDANCIA",
         .TextGameNotRunning = "RACE07 NO CARGADO",
         .TextLapTimes = "Tiempus revolada",
         .TextBest = "Meyor",
         .TextLast = "Ultima",
         .TextLap = "Revolada",
         .TextWater = "Augua",
         .TextOil = "Aceite",
         .TextFuelLastLap = "Llitrus ultima revolada",
         .TextLimiter = "LIMITADOR",
         .TextPits = "BOXES",
         .TextTC = "CT",
         .TextTCHigh = "CT ALTU",
         .TextTCLow = "CT BAXU",
         .TextABS = "ABS",
         .TextABSHigh = "ABS ALTU",
         .TextABSLow = "ABS BAXU",
         .TextIgnition = "CONTACTO",
         .TextEngine = "MOTOR",
         .TextAboutMenu = "Alrodiu de",
         .TextExitMenu = "Pesllar",
         .TextAboutTitle = "Alrodiu de Ostrelo",
         .TextAboutDescription = "Visualizador de datos auxiliar para el simulador de carreras "
                                 "RACE07 & GTR Evolution de Simbin.",
         .TextAboutCredit = "Programáu polos desendolcadores d'Ostrelo",
         .TextFileMenu = "Archivu",
         .TextOptionsMenu = "Opciones",
         .TextScanTimeMenu = "Tiempu Refresco",
         .TextIPCaption = "Direición IP",
         .TextPortCaption = "Puertu",
         .TextBadIP = "La IP introducida no es valida"
                      "\r\n"
                      "Debería de tener la forma XXX.XXX.XXX.XXX"
                      "\r\n"
                      "Donde XXX es un valor numerico de 000 a 255",
         .TextBadPort = "El puerto introducido no es valido"
                        "\r\n"
                        "introduce un valor entre 0 y 65535",
         .TextConnectionMenu = "Conexión",
         .TextNoneMenu = "Ninguna",
         .TextServerMenu = "Servidor",
         .TextClientMenu = "Veceru",
         .TextServerDialogTitle = "Datos Servidor",
         .TextClientDialogTitle = "Datos Veceru",
         .TextOK = "Aceutar",
         .TextConnected = "CONECTADO",
         .TextConnecting = "CONECTANDO",
         .TextListening = "ESCUCHANDO",
         .TextNoConnection = "N/A",
         .TextGraphicsMenu = "Gráficos",
         .TextMetricMenu = "Metricu",
         .TextImperialMenu = "Imperial",
         .TextShowServerDataMenu = "Ver Datos Servidor",
         .TextPortHelp = "En Linux, los puertos per debaxo de 1024 riquen permisos "
                         "d'alministrador: escueyi un puertu de 1024 o más.",
     }},
    {"English",
     {
         .TextScanning = "Scanning...",
         .TextGameRunning = "RACE07 RUNNING",
         .TextGameNotRunning = "RACE07 NOT RUNNING",
         .TextLapTimes = "Lap Times",
         .TextBest = "Best",
         .TextLast = "Last",
         .TextLap = "Lap",
         .TextWater = "Water",
         .TextOil = "Oil",
         .TextFuelLastLap = "Liters last lap",
         .TextLimiter = "SPD LIMIT",
         .TextPits = "PITS",
         .TextTC = "TC",
         .TextTCHigh = "TC HIGH",
         .TextTCLow = "TC LOW",
         .TextABS = "ABS",
         .TextABSHigh = "ABS HIGH",
         .TextABSLow = "ABS LOW",
         .TextIgnition = "CONTACT",
         .TextEngine = "ENGINE",
         .TextAboutMenu = "About",
         .TextExitMenu = "Exit",
         .TextAboutTitle = "About Ostrelo",
         .TextAboutDescription =
             "Auxiliar data screen for SIMBIN's RACE07 & GTR Evolution race simulator",
         .TextAboutCredit = "Programmed by the Ostrelo developers",
         .TextFileMenu = "File",
         .TextOptionsMenu = "Options",
         .TextScanTimeMenu = "Scan Time",
         .TextIPCaption = "IP Adress",
         .TextPortCaption = "Port",
         .TextBadIP = "The IP adress is not valid"
                      "\r\n"
                      "should be in the form XXX.XXX.XXX.XXX"
                      "\r\n"
                      "where XXX is a numeric value from 000 to 255",
         .TextBadPort = "Wrong port number"
                        "\r\n"
                        "Should be a number between 0 and 65535",
         .TextConnectionMenu = "Connection",
         .TextNoneMenu = "None",
         .TextServerMenu = "Server",
         .TextClientMenu = "Client",
         .TextServerDialogTitle = "Server Data",
         .TextClientDialogTitle = "Client data",
         .TextOK = "OK",
         .TextConnected = "CONNECTED",
         .TextConnecting = "CONNECTING",
         .TextListening = "LISTENING",
         .TextNoConnection = "NONE",
         .TextGraphicsMenu = "Graphics",
         .TextMetricMenu = "Metric",
         .TextImperialMenu = "Imperial",
         .TextShowServerDataMenu = "Show Server Data",
         .TextPortHelp =
             "On Linux, ports below 1024 need administrator rights: choose a port of 1024 or more.",
     }},
    {"Francais",
     {
         .TextScanning = "Recherche...",
         .TextGameRunning = "RACE07 LANCE",
         .TextGameNotRunning = "RACE07 NON LANCE",
         .TextLapTimes = "Temps au tour",
         .TextBest = "Meilleur",
         .TextLast = "Dernier",
         .TextLap = "Tour",
         .TextWater = "Eau",
         .TextOil = "Huile",
         .TextFuelLastLap = "Litres dernier tour",
         .TextLimiter = "Limiteur",
         .TextPits = "STANDS",
         .TextTC = "TC",
         .TextTCHigh = "TC HAUT",
         .TextTCLow = "TC BAS",
         .TextABS = "ABS",
         .TextABSHigh = "ABS HAUT",
         .TextABSLow = "ABS BAS",
         .TextIgnition = "CONTACT",
         .TextEngine = "MOTEUR",
         .TextAboutMenu = "A Propos",
         .TextExitMenu = "Sortir",
         .TextAboutTitle = "A Propos de Ostrelo",
         .TextAboutDescription = "Affichage déporté des données techniques pour la simulation "
                                 "RACE07 & GTR Evolution de SIMBIN",
         .TextAboutCredit = "Programmé par les développeurs d'Ostrelo",
         .TextFileMenu = "Fichier",
         .TextOptionsMenu = "Options",
         .TextScanTimeMenu = "Intervalle...",
         .TextIPCaption = "Adresse IP",
         .TextPortCaption = "Port",
         .TextBadIP = "Cette adresse IP n'est pas valide"
                      "\r\n"
                      "Elle devrait être au format XXX.XXX.XXX.XXX"
                      "\r\n"
                      "où XXX est une valeur comprise entre 000 et 255",
         .TextBadPort = "Mauvais numero de port"
                        "\r\n"
                        "Ce devrait être une valeur entre 0 et 65535",
         .TextConnectionMenu = "Connexion",
         .TextNoneMenu = "Aucun",
         .TextServerMenu = "Serveur",
         .TextClientMenu = "Client",
         .TextServerDialogTitle = "Données Serveur",
         .TextClientDialogTitle = "Données Client",
         .TextOK = "OK",
         .TextConnected = "CONNECTE",
         .TextConnecting = "CONNEXION",
         .TextListening = "EN ECOUTE",
         .TextNoConnection = "AUCUN",
         .TextGraphicsMenu = "Graphiques",
         .TextMetricMenu = "Métrique ",
         .TextImperialMenu = "Impérial ",
         .TextShowServerDataMenu = "Show Données Serveur",
         .TextPortHelp = "Sous Linux, les ports inférieurs à 1024 exigent les droits "
                         "d'administrateur : choisissez un port de 1024 ou plus.",
     }},
    {"Deutsch",
     {
         .TextScanning = "Datenabfrage...",
         .TextGameRunning = "RACE07 GESTARTET",
         .TextGameNotRunning = "RACE07 NICHT GESTARTET",
         .TextLapTimes = "Rundenzeiten",
         .TextBest = "Beste",
         .TextLast = "Letzte",
         .TextLap = "Runde",
         .TextWater = "Wasser",
         .TextOil = "Öl",
         .TextFuelLastLap = "Liter / letzte Runde",
         .TextLimiter = "Begrenzer",
         .TextPits = "Box",
         .TextTC = "TC",
         .TextTCHigh = "TC hoch",
         .TextTCLow = "TC niedrig",
         .TextABS = "ABS",
         .TextABSHigh = "ABS hoch",
         .TextABSLow = "ABS niedrig",
         .TextIgnition = "Zündung",
         .TextEngine = "Motor",
         .TextAboutMenu = "Über",
         .TextExitMenu = "Beenden",
         .TextAboutTitle = "Über Ostrelo",
         .TextAboutDescription =
             "Zusätzlicher Datenmonitor für SIMBIN's RACE07 & GTR Evolution Racing Simulator",
         .TextAboutCredit = "Programmiert von den Ostrelo-Entwicklern",
         .TextFileMenu = "Datei",
         .TextOptionsMenu = "Optionen",
         .TextScanTimeMenu = "Aktualisierungsrate",
         .TextIPCaption = "IP Adresse",
         .TextPortCaption = "Port",
         .TextBadIP = "Ungültige IP Adresse"
                      "\r\n"
                      "Richtige Schreibweise beachten XXX.XXX.XXX.XXX"
                      "\r\n"
                      "XXX Zahlenwert von 000 bis 255",
         .TextBadPort = "Falscher Port"
                        "\r\n"
                        "Zahl muss zwischen 0 und 65535 sein",
         .TextConnectionMenu = "Verbindung",
         .TextNoneMenu = "Keine",
         .TextServerMenu = "Server",
         .TextClientMenu = "Klient",
         .TextServerDialogTitle = "Serverdaten",
         .TextClientDialogTitle = "Klientdaten",
         .TextOK = "OK",
         .TextConnected = "VERBUNDEN",
         .TextConnecting = "VERBINDUNGSAUFBAU",
         .TextListening = "ABHÖREN",
         .TextNoConnection = "KEINE VERBINDUNG",
         .TextGraphicsMenu = "Graphiken",
         .TextMetricMenu = "Metrisch ",
         .TextImperialMenu = "Imperial",
         .TextShowServerDataMenu = "Show Serverdaten",
         .TextPortHelp = "Unter Linux brauchen Ports unter 1024 Administratorrechte: wählen Sie "
                         "einen Port ab 1024.",
     }},
    {"Dutch",
     {
         .TextScanning = "Informatie opvragen...",
         .TextGameRunning = "RACE07 GESTART",
         .TextGameNotRunning = "RACE07 NIET GESTART",
         .TextLapTimes = "Rondetijden",
         .TextBest = "Beste",
         .TextLast = "Laatste",
         .TextLap = "Ronde",
         .TextWater = "Water",
         .TextOil = "Olie",
         .TextFuelLastLap = "Liters / Laatste Ronde",
         .TextLimiter = "Begrenzer",
         .TextPits = "Pitbox",
         .TextTC = "TC",
         .TextTCHigh = "TC Hoog",
         .TextTCLow = "TC Laag",
         .TextABS = "ABS",
         .TextABSHigh = "ABS Hoog",
         .TextABSLow = "ABS Laag",
         .TextIgnition = "Contact",
         .TextEngine = "Motor",
         .TextAboutMenu = "Over",
         .TextExitMenu = "Afsluiten",
         .TextAboutTitle = "Over Ostrelo",
         .TextAboutDescription =
             "Telemetry-monitor voor SIMBIN's RACE07 & GTR Evolution Racing Simulator",
         .TextAboutCredit = "Geprogrammeerd door de Ostrelo-ontwikkelaars",
         .TextFileMenu = "Bestand",
         .TextOptionsMenu = "Opties",
         .TextScanTimeMenu = "Scan tijd",
         .TextIPCaption = "IP Adres",
         .TextPortCaption = "Poort",
         .TextBadIP = "Ongeldig IP Adres"
                      "\r\n"
                      "Correcte invoer nodig zoals XXX.XXX.XXX.XXX"
                      "\r\n"
                      "XXX Getallenreeks van 000 tot 255",
         .TextBadPort = "Verkeerde Poort"
                        "\r\n"
                        "Getal moet tussen 0 en 65535 zijn.",
         .TextConnectionMenu = "Verbinding",
         .TextNoneMenu = "Geen",
         .TextServerMenu = "Server",
         .TextClientMenu = "Client",
         .TextServerDialogTitle = "ServerInformatie",
         .TextClientDialogTitle = "ClientInformatie",
         .TextOK = "OK",
         .TextConnected = "VERBONDEN",
         .TextConnecting = "VERBINDING...",
         .TextListening = "LUISTEREN",
         .TextNoConnection = "GEEN VERBINDING",
         .TextGraphicsMenu = "Graphics",
         .TextMetricMenu = "Metric",
         .TextImperialMenu = "Imperial",
         .TextShowServerDataMenu = "Show ServerInformatie",
         .TextPortHelp = "Onder Linux vereisen poorten onder 1024 beheerdersrechten: kies een "
                         "poort van 1024 of hoger.",
     }},
    {"Italiano",
     {
         .TextScanning = "Scansione...",
         .TextGameRunning = "RACE07 IN ESECUZIONE",
         .TextGameNotRunning = "RACE07 NON IN ESECUZ.",
         .TextLapTimes = "Tempi sul giro",
         .TextBest = "Migliore",
         .TextLast = "Ultimo",
         .TextLap = "Giro",
         .TextWater = "Acqua",
         .TextOil = "Olio",
         .TextFuelLastLap = "Litri ultimo giro",
         .TextLimiter = "LIMIT VEL",
         .TextPits = "BOX",
         .TextTC = "TC",
         .TextTCHigh = "TC ALTO",
         .TextTCLow = "TC BASSO",
         .TextABS = "ABS",
         .TextABSHigh = "ABS ALTO",
         .TextABSLow = "ABS BASSO",
         .TextIgnition = "INIETTORI",
         .TextEngine = "MOTORE",
         .TextAboutMenu = "Informazioni su...",
         .TextExitMenu = "Esci",
         .TextAboutTitle = "Informazioni su Ostrelo",
         .TextAboutDescription =
             "Schermo dati ausiliario per il simulatore di guida RACE07 & GTR Evolution dei SIMBIN",
         .TextAboutCredit = "Programmato dagli sviluppatori di Ostrelo",
         .TextFileMenu = "File",
         .TextOptionsMenu = "Opzioni",
         .TextScanTimeMenu = "Tempo Scansione",
         .TextIPCaption = "Indirizzo IP",
         .TextPortCaption = "Porta",
         .TextBadIP = "L'indirizzo IP non è valido"
                      "\r\n"
                      "dovrebbe essere nella forma XXX.XXX.XXX.XXX"
                      "\r\n"
                      "dove xxx è un valore numerico da 000 a 255",
         .TextBadPort = "Numero di porta errato"
                        "\r\n"
                        "Dovrebbe essere un numero tra 0 e 65535",
         .TextConnectionMenu = "Connessione",
         .TextNoneMenu = "Nessuna",
         .TextServerMenu = "Server",
         .TextClientMenu = "Client",
         .TextServerDialogTitle = "Dati Server",
         .TextClientDialogTitle = "Dati Client",
         .TextOK = "OK",
         .TextConnected = "CONNESSO",
         .TextConnecting = "COLLEGAMENTO",
         .TextListening = "IN ASCOLTO",
         .TextNoConnection = "NESSUNO",
         .TextGraphicsMenu = "Grafici",
         .TextMetricMenu = "Metrico",
         .TextImperialMenu = "Imperiale",
         .TextShowServerDataMenu = "Mostra dati server",
         .TextPortHelp = "Su Linux le porte sotto 1024 richiedono i permessi di amministratore: "
                         "scegli una porta da 1024 in su.",
     }},
}};

} // namespace

std::span<const Language> languages() {
    return kLanguages;
}

const Language *findLanguage(std::string_view idioma) {
    for (const Language &language : kLanguages) {
        if (language.name == idioma) {
            return &language;
        }
    }
    return nullptr;
}

} // namespace ostrelo::i18n
