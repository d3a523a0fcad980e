#include "dialogs/guide_window.h"

#include "dialogs/dialog_parts.h"

#include <QPlainTextEdit>
#include <QTextDocument>

namespace zelvane {

namespace {
const auto Title = QStringLiteral("Zelvane - Leggimi");

// Laid out for a fixed-width font, lines of at most 64 characters.
constexpr char16_t Guide[] = uR"(****************************************************************
*                                                              *
*                        Zelvane 0.95                          *
*      Editor di tabelle per la traduzione di videogiochi      *
*                                                              *
****************************************************************

Chi traduce un videogioco sa che la prima cosa da fare e' capire
quale byte corrisponde a quale lettera: il risultato di questo
lavoro e' la tabella, un semplice file di testo in cui ogni riga
dice "questo codice sta per questo carattere". Zelvane e' nato
dalla noia di scrivere queste tabelle a mano, riga per riga, con
un editor di testo qualunque: qui i 256 codici stanno in una
griglia e basta scrivere nella cella giusta.

Una tabella, per chi non ne ha mai vista una, e' fatta cosi':

	41=A
	42=B
	/00
	*FF
	(1A2h)Menu principale

cioe' un codice di due cifre esadecimali, il segno "=" e il
valore; i codici speciali di fine riga e di fine finestra; e i
bookmark, con un indirizzo esadecimale e un titolo.

Il programma si puo' usare in due modi:

	1. insieme a Morvex, il tool di ricerca e di
	   estrazione dei testi dello stesso autore: dopo
	   aver modificato una tabella, Zelvane propone di
	   usare subito la nuova tabella in Morvex;
	2. da solo, come editor di tabelle per qualsiasi tool.

Questa versione e' del tutto indipendente da Morvex: non serve
averlo installato e nessuna funzione dipende da esso.

** Cosa c'è (versione 0.95) **

- Apertura dei file tabella (.tbl, .txt o qualsiasi nome).
- Riconoscimento dei codici di fine riga e di fine finestra,
  scritti nel file come "/00" o "*CD": nella griglia le celle
  speciali sono gialle. Per segnare una cella che contiene "/"
  o "*" si usa il pulsante "/0F" della barra degli strumenti;
  per togliere il segno, il pulsante "/0F" barrato in rosso.
- Salvataggio dei file tabella. Le righe che il programma non
  capisce (per esempio i comandi di altri tool come "s: 20", o
  le assegnazioni con codici di quattro cifre esadecimali come
  "8140=xy") non vanno perse: vengono conservate e riscritte
  in cima al file.
- Gestione delle linee extra, dal menu Opzioni: si possono
  vedere, aggiungere, modificare e cancellare.
- Completamento automatico della griglia a partire dalla cella
  selezionata:
	* lettere maiuscole, lettere minuscole e numeri;
	* romaji: suoni puri, suoni impuri e semipuri, in
	  maiuscolo o in minuscolo;
	* hiragana e katakana, suoni puri o impuri/semipuri.
  Nota: i caratteri giapponesi sono salvati come coppie di byte
  EUC-JP; per vederli come tali serve un visualizzatore che
  sappia mostrarli. Nella griglia appaiono come due caratteri.
- La griglia mostra i 256 codici: la riga e' la prima cifra
  esadecimale, la colonna la seconda. Si scrive direttamente
  nella cella; Backspace cancella l'ultimo carattere. La barra
  di stato mostra il codice selezionato e il suo valore, e la
  scritta MODIFICATA quando ci sono modifiche da salvare.
- Scelta della modalita' di input (ASCII, Hiragana, Katakana):
  dal menu Opzioni, con un clic su "ASC", "HIR" o "KAT" nella
  barra di stato, oppure con Ctrl-A, Ctrl-H e Ctrl-K. In
  Hiragana e Katakana il romaji scritto in una cella diventa
  il kana corrispondente (solo lettere minuscole); Backspace
  svuota l'intera cella. La "n" diventa subito kana: per "na",
  "ni" e cosi' via scrivete la "n" in modalita' ASCII e poi la
  vocale in modalita' Hiragana o Katakana.

** Cosa non c'è (versione 0.95) **

- Il supporto per le sintassi di altri tool di traduzione.
- La gestione dei bookmark.
- Un menu contestuale con le funzioni della barra degli
  strumenti.

** Contatti **

Segnalazioni di errori, idee e tabelle di prova sono sempre
benvenute: usate il canale di segnalazione del progetto da cui
avete avuto il programma, e allegate se potete la tabella che
ha dato problemi.

** Ringraziamenti **

Grazie a tutti i traduttori che hanno provato le versioni di
prova e hanno avuto la pazienza di spiegare che cosa non
andava, e a chi ha condiviso le proprie tabelle perche' il
programma potesse leggerle tutte.
)";
} // namespace

QString GuideWindow::GuideText()
{
    return QString::fromUtf16(Guide);
}

GuideWindow::GuideWindow(QWidget* parent)
    : QWidget(parent)
{
    SetUpToolWindow(this, "frmReadme", Title, QSize(530, 242));

    auto* text = new QPlainTextEdit(this);
    text->setObjectName(QStringLiteral("Text1"));
    text->setGeometry(0, 0, 529, 241);
    text->setFont(FontWithFallback(QStringLiteral("Courier"), 9.75, QFont::TypeWriter));
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setReadOnly(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text->setTabStopDistance(QFontMetricsF(text->font()).horizontalAdvance(QLatin1Char(' ')) * 8);
    text->document()->setDocumentMargin(2);
    text->setPlainText(GuideText());
}

} // namespace zelvane
