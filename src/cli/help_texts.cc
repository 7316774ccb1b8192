#include "cli/help_texts.h"

namespace splyce {

// Printed byte for byte; the German text carries three letters in UTF-8.
const char* const help_text_en = R"HELP(
NAME
    splyce 0.6 - copy a section of a file into another file

SYNOPSIS
    splyce [OPTION]... SOURCE [DEST]

DESCRIPTION
    Copy a section which has been enclosed by START_MARK and END_MARK
    from the file SOURCE to the file DEST. The file DEST must contain
    the markers START_MARK and END_MARK to determine the destination
    area for the copied section.

    -s=START_MARK
        Character string which starts the section to be copied (case
        sensitive).

    -e=END_MARK
        Character string which terminates the section to be copied
        (case sensitive).

    -a=START_AND_END_MARK
        Alternatively to -s and -e, this option can be applied if the
        same phrase shall be used as start mark and end mark. In this
        case several file sections can be copied simultaneously if
        each section can be identified by an id which has been
        attached directly to the limiting pairs of marks. These ids
        must contain letters, digits and the underline character only.
        If none of the parameters -s, -e, -a has been defined, the
        program defaults to -a=SPLYCE_BLOCK.

    --need-border-marks
        With option -a the program does not need the beginning of the
        first section to be marked. If the first mark is unique, it is
        seen as the end mark of the first section, whereas the start
        of the file is treated as the section's start.
        if the last section does not have an end mark the file end
        limits this section.
        Using the option --need-border-marks you can change this
        behaviour so that both, a start mark for the first section
        and en end mark for the last section will be mandatory.

    --test
        Activates simulation mode: the program does not write to disk.

    --verbose
        Shows a more detailed progress information.

    --wait --warten
        Waits at program termination until user presses Enter
        (English resp. German).

    --help --hilfe
        Displays this help (English resp. German).

    SOURCE
        Source file which contains the section to be copied. Even if
        source file should match the wildcard criteria given by DEST,
        it will not be treated as destination file also.

    DEST
        Destination file(s). One wildcard character \* is supported
        directly by the program; further wildcard functionality may
        be supported by the operating system. Same applies to more
        than one destination file.
        If the destination file does not contain either, START_MARK
        and END_MARK, it will not be changed.
        If this parameter is omitted, all files with endings .htm and
        .html will be treated as destination.

EXAMPLES

    splyce foo
        The marked sections in file "foo" will be copied to the
        corresponding sections in all .htm and .html files.
        Pairs of SPLYCE_BLOCK_NUMBER01, SPLYCE_BLOCK_MY_SECTION,
        SPLYCE_BLOCK_X etc. are used as section border marks.

    splyce -a=Border foo bar*
        All sections in file "foo" which have been enclosed in pairs
        of Border_Head, Border_Number_7, BorderXY etc. will be copied
        to the corresponding sections in all files whose names start
        with "bar".

    Important: Please backup your files before calling this program
    because it operates directly on the files and may damage them if
    it is aborted while writing to disk an error occures.

)HELP";

const char* const help_text_de = R"HELP(
NAME
    splyce 0.6 - Dateiabschnitt in eine andere Datei kopieren

SYNOPSIS
    splyce [OPTION]... SOURCE [DEST]

BESCHREIBUNG
    Kopiert den in START_MARK und END_MARK eingeschlossenen Abschnitt
    der Datei SOURCE in die Datei DEST.  Die Datei DEST muss die
    Markierungen START_MARK und END_MARK ebenfalls enthalten, damit
    splyce weiss, an welche Position es den Abschnitt kopieren soll.

    -s=START_MARK
        Zeichenkette, die den Beginn des zu kopierenden Abschnitts
        markiert (Gross-/Kleinschreibung wird beachtet).

    -e=END_MARK
        Zeichenkette, die das Ende des zu kopierenden Abschnitts
        markiert (Gross-/Kleinschreibung wird beachtet).

    -a=START_AND_END_MARK
        Alternativ zu -s und -e kann diese Option genutzt werden, um
        dieselbe Zeichenkette als Markierung fuer den Beginn und fuer
        das Ende eines Abschnitts zu verwenden. In diesem Fall
        koennen mehrere Abschnitte gleichzeitig kopiert werden, wenn
        jeder von ihnen durch einen Namen identifiziert wird, der
        jeweils direkt an die Markierung angehaengt wird. Solche Namen
        duerfen nur aus Buchstaben (keine Umlaute), Ziffern und dem
        Unterstrich bestehen. Sie muessen paarig an die jeweils
        zugehoerige Start- und End-Markierung angehaengt werden.
        Wenn keiner der Parameter -s, -e und -a angegeben wurde,
        verwendet das Programm: -a=SPLYCE_BLOCK.

    --need-border-marks
        Im Fall der Option -a wird fuer den ersten Abschnitt einer
        Datei keine Startmarkierung benoetigt. Das Programm geht dann
        davon aus, dass der Start der Datei gleichzeitig der Start des
        Abschnitts ist. Sinngemaess das Gleiche gilt für eine fehlende
        Endemarkierung.
        Mit Hilfe der Option --need-border-marks laesst sich dieses
        Verhalten aendern, so dass auch der erste und der letzte
        Abschnitt jeweils Start- und Endemarkierung benötigen.

    --test
        Aktiviert den Simulations-Modus: das Programm veraendert
        keine Dateien.

    --verbose
        Zeigt detailliertere Ablaufinformationen.

    --warten --wait
        Wartet am Programmende auf das Drücken der Eingabetaste
        (Deutsch bzw. Englisch).

    --hilfe --help
        Zeigt diesen Hilfetext an (Deutsch bzw. Englisch).

    SOURCE
        Quelldatei, die die zu kopierenden Abschnitte enthaelt.

    DEST
        Zieldatei(en), in die die markierten Abschnitte der
        Quelldatei kopiert werden sollen. Ein Platzhalter \* wird
        direkt vom Programm unterstuetzt. Je nach Betriebssystem
        koennen weitere Platzhalterfunktionalitaeten zur Verfuegung
        stehen.
        Enthaelt eine Zieldatei keine Abschnitts-Markierungen, wird
        sie nicht veraendert.
        Wird dieser Parameter weggelassen, behandelt das Programm
        alle .htm- und .html-Dateien als Zieldateien.

BEISPIELE

    splyce xyz
        Die markierten Abschnitte der Datei "xyz" werden in die
        entsprechend markierten Abschnitte aller Dateien mit den
        Endungenden .htm und .html kopiert.
        Paare der Markierungen SPLYCE_BLOCK01, SPLYCE_BLOCK02,
        SPLYCE_BLOCK03 usw. werden dabei als Abschnitts-Bergrenzung
        beachtet.

    splyce -a=Rand xyz abc*
        Alle Abschnitte der Datei "xyz", die in Paare der
        Markierungen  Rand01, Rand02, Rand03 usw. eingeschlossen
        sind, werden in die entsprechenden Abschnitte aller Dateien
        kopiert, deren Name mit "abc" beginnt.

    Wichtig: Bitte sichern Sie alle Dateien, bevor sie dieses
    Programm verwenden, da es direkt in die Dateien schreibt und sie
    beschaedigen kann, wenn es dabei unerwartet abgebrochen wird.

)HELP";

}  // namespace splyce
