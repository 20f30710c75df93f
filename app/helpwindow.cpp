#include "app/helpwindow.h"

#include <QEvent>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/language.h"

THelpWindow::THelpWindow(QWidget* parent) : QDialog(parent)
{
    setModal(false);
    resize(640, 720);
    Text = new QTextBrowser(this);
    Text->setOpenLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Text);
    Retranslate();
}

void THelpWindow::Retranslate()
{
    const bool english = CurrentLanguage() == kLanguageEnglish;
    setWindowTitle(english ? QStringLiteral("Kalmira - Help") : QString::fromUtf8("Kalmira - Hilfe"));
    Text->setHtml(english ? HelpHtmlEnglish() : HelpHtml());
}

void THelpWindow::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) Retranslate();
}

QString THelpWindow::HelpHtml()
{
    return QString::fromUtf8(R"(
<h2>Kalmira &ndash; Univariante Regression</h2>
<p>Kalmira passt eine Kurve an Datenpunkte (x, y) an und zeigt sie mit ihrer Formel, ihren
Parametern und ihrem Anpassungsgrad.</p>

<h3>Punkte eingeben</h3>
<ul>
<li><b>Mit der Maus:</b> &bdquo;Test-Eingabe&ldquo; drücken und in die Grafik klicken (jede
Maustaste). Jeder Klick ist ein Punkt.</li>
<li><b>In der Tabelle:</b> X und Y eintippen (mit dem Dezimaltrennzeichen des Systems) und
&bdquo;Werte übernehmen&ldquo; drücken. Die erste leere X-Zelle beendet die Tabelle. Die Tabelle
ersetzt die Punkte, die vorher in der Grafik standen; danach geklickte Punkte kommen hinzu.
&bdquo;Clear Table&ldquo; leert die Tabelle. Aus einer Tabellenkalkulation kopierte Blöcke lassen
sich mit Strg+V einfügen.</li>
<li><b>Aus einer Datei:</b> &bdquo;Datei &rarr; Werte-Tabelle laden&ldquo;, eine Datei auf das
Fenster ziehen oder beim Start nennen (<code>kalmira messwerte.csv</code>). Die Werte stehen dann
in der Tabelle und werden mit &bdquo;Werte übernehmen&ldquo; zu Punkten.</li>
<li>&bdquo;Grafik Clear&ldquo; vergisst alle Punkte.</li>
</ul>

<h3>Die Modelle</h3>
<p>Jedes Modell wird nach der Methode der kleinsten Quadrate angepasst. Die Spalte
&bdquo;minimiert&ldquo; nennt die Summe, die dabei so klein wie möglich wird.</p>
<table border="1" cellspacing="0" cellpadding="3">
<tr><th>Knopf</th><th>Modell</th><th>minimiert</th><th>braucht</th></tr>
<tr><td>Lin</td><td>y = k&middot;x + d</td><td>&Sigma; (y &minus; k&middot;x &minus; d)&sup2;</td><td>2 Punkte</td></tr>
<tr><td>Parabolic</td><td>y = k0 + k1&middot;x + k2&middot;x&sup2;</td><td>&Sigma; (y &minus; k0 &minus; k1&middot;x &minus; k2&middot;x&sup2;)&sup2;</td><td>3 Punkte</td></tr>
<tr><td>Reciproc</td><td>y = 1/(k0 + k1&middot;x)</td><td>&Sigma; (1/y &minus; k0 &minus; k1&middot;x)&sup2;</td><td>3 Punkte, y &ne; 0</td></tr>
<tr><td>Log</td><td>y = k0 + k1&middot;ln x</td><td>&Sigma; (y &minus; k0 &minus; k1&middot;ln x)&sup2;</td><td>3 Punkte, x &gt; 0</td></tr>
<tr><td>Recip.Log.</td><td>y = 1/(k0 + k1&middot;ln x)</td><td>&Sigma; (1/y &minus; k0 &minus; k1&middot;ln x)&sup2;</td><td>3 Punkte, x &gt; 0, y &gt; 0</td></tr>
<tr><td>Expon.</td><td>y = k0&middot;e<sup>k1&middot;x</sup></td><td>&Sigma; (ln y &minus; ln k0 &minus; k1&middot;x)&sup2;</td><td>3 Punkte, x &gt; 0, y &gt; 0</td></tr>
<tr><td>Polynom</td><td>y = k0 + k1&middot;x + &hellip; + kn&middot;x<sup>n</sup></td><td>&Sigma; (y &minus; p(x))&sup2;</td><td>n + 1 Punkte</td></tr>
<tr><td>Spline</td><td>kubischer Glättungsspline s(x)</td><td>&int; s&Prime;(x)&sup2; dx, solange &Sigma; (s(x) &minus; y)&sup2; &le; S</td><td>2 Punkte</td></tr>
</table>
<p>Die Ordnung des Polynoms (bis 9, höchstens eins weniger als die Zahl der Punkte) steht im Feld
neben &bdquo;Polynom&ldquo;. Der <b>Anpassungsgrad</b> ist das Bestimmtheitsmaß R&sup2; der
Regression; bei Reciproc, Log, Recip.Log. und Expon. gilt er für die umgerechneten Größen
(1/y, ln x, ln y), in denen die Anpassung gerechnet wird.</p>

<h3>Die Glättung des Splines</h3>
<p>Der Schieberegler unter &bdquo;Spline&ldquo; wählt den Glättungsfaktor f von 0 (ganz links) bis 1
(ganz rechts). Die erlaubte Restsumme S ist f mal die Restsumme der Geraden: ganz links geht der
Spline durch jeden Punkt, ganz rechts ist er die Gerade.</p>

<h3>Statistik und Bänder</h3>
<p>&bdquo;Anzeige &rarr; Statistik&ldquo; (Strg+T) öffnet neben dem Hauptfenster ein Fenster, das
jeder Anpassung folgt: jeder Parameter mit Standardfehler, 95-%-Intervall, t und p; die Zahl der
Punkte, die Freiheitsgrade, die Residuenquadratsumme, der Reststandardfehler, R&sup2; und
korrigiertes R&sup2;, F mit seinem p-Wert, AIC und BIC; darunter die Residuen gegen x.
&bdquo;Anzeige &rarr; Konfidenz- und Prognoseband zeigen&ldquo; (Strg+B) zeichnet gestrichelt um die
Kurve das 95-%-Konfidenzband (wo die Kurve selbst liegen kann) und das breitere Prognoseband (wo ein
neuer Messwert liegen kann); der Spline hat keine Bänder. Gerechnet wird beides nur, solange das
Fenster offen oder die Bänder eingeschaltet sind.</p>

<h3>Das Menü &bdquo;Kurve&ldquo;</h3>
<p>Potenz (y = a&middot;x<sup>b</sup>), logistische Kurve (y = a/(1 + e<sup>&minus;b(x &minus; c)</sup>)),
Gauß-Glocke (y = a&middot;e<sup>&minus;(x &minus; b)&sup2;/(2c&sup2;)</sup>), Sättigung (y = a&middot;x/(b + x)),
Exponentiell mit Versatz (y = a&middot;e<sup>b&middot;x</sup> + c) und Exponentiell in y
(y = a&middot;e<sup>b&middot;x</sup>, anders als &bdquo;Expon.&ldquo; in y selbst angepasst) minimieren
&Sigma; (y &minus; f(x))&sup2; nichtlinear, von Startwerten aus, die sie in den Daten finden.
&bdquo;Formel &hellip;&ldquo; nimmt ein eigenes Modell wie y = b1*(1-exp(-b2*x)) mit + &minus; * / ^,
Klammern, Zahlen, x, pi und exp, ln, log10, sqrt, sin, cos, tan, atan, abs; jeder andere Name ist
ein Parameter. Startwerte (b1 = 500; b2 = 1e-4) sind freiwillig, die übrigen beginnen bei 1. Der
Anpassungsgrad ist hier R&sup2; in y. Eine Anpassung, die nicht konvergiert, sagt warum.</p>

<h3>Die Maus in der Grafik</h3>
<ul>
<li>Mit gedrückter linker Taste ziehen verschiebt den sichtbaren Ausschnitt; die nächste Anpassung
zeichnet ihre Kurve über den neuen Ausschnitt.</li>
<li>Das Mausrad vergrößert (vorwärts) oder verkleinert (rückwärts) um den Punkt unter der Maus;
mit gedrückter rechter Taste ein Rechteck ziehen zeigt genau dieses Rechteck. Ein Doppelklick mit
der rechten Taste stellt den Bereich von &bdquo;Reset Axis&ldquo; wieder her. Während
&bdquo;Test-Eingabe&ldquo; gedrückt ist, setzt jeder Klick einen Punkt, auch mit der rechten Taste.</li>
<li>&bdquo;Reset Axis&ldquo; setzt beide Achsen auf 0 bis &bdquo;Graph Xmax&ldquo; und &bdquo;Graph Ymax&ldquo;.</li>
<li>&bdquo;Datei &rarr; Achsen an Daten anpassen&ldquo; (Strg+0) zeigt alle Punkte und schreibt die
oberen Enden in &bdquo;Graph Xmax&ldquo; und &bdquo;Graph Ymax&ldquo;; so auch nach dem Laden einer
Datei und wenn übernommene Werte über die Achsen hinausreichen.</li>
</ul>

<h3>Dateien</h3>
<p>Gelesen werden Textdateien mit einem Wertepaar je Zeile, getrennt durch Tabulator, Komma,
Semikolon oder Leerzeichen; eine erste Zeile mit Spaltennamen ist erlaubt, Zeilen mit
<code>#</code> oder <code>;</code> am Anfang und leere Zeilen werden übersprungen. Wo das Trennzeichen
kein Komma ist, darf das Dezimalzeichen ein Komma sein.</p>
<p>CSV mit Dezimalpunkt:</p>
<pre>x,y
0.5,1.62
1,2.71
2,7.39</pre>
<p>Semikolon mit Dezimalkomma (wie aus einer deutschen Tabellenkalkulation):</p>
<pre>x;y
0,5;1,62
1;2,71
2;7,39</pre>
<p>Beim Schließen schreibt das Fenster seine Punkte in die Datei <code>cfit.asc</code> im aktuellen
Verzeichnis (sechs Nachkommastellen); auch sie lässt sich wieder laden:</p>
<pre>Data exported from QZL TCurveFit
2	;nr. of columns
2	;nr. of rows
FALSE TRUE FALSE	;row attributes, column names, row names
x   y
1.000000	2.500000
-0.250000	3.000000</pre>
<p>Beispieldateien liegen im Ordner <code>examples/</code> des Programms.</p>

<h3>Das Kommandozeilenprogramm</h3>
<p><code>kalmira-fit</code> rechnet dieselben Anpassungen ohne Fenster, zum Beispiel in Skripten:</p>
<pre>kalmira-fit --model all messwerte.csv
kalmira-fit --model poly:5 --at 0.5 --format json messwerte.csv</pre>
<p><code>kalmira-fit --help</code> nennt alle Modelle und Optionen.</p>
)");
}

QString THelpWindow::HelpHtmlEnglish()
{
    return QString::fromUtf8(R"(
<h2>Kalmira &ndash; Univariate Regression</h2>
<p>Kalmira fits a curve to data points (x, y) and shows it with its formula, its parameters and
its goodness of fit.</p>

<h3>Entering points</h3>
<ul>
<li><b>With the mouse:</b> press &ldquo;Test input&rdquo; and click into the graph (any mouse
button). Every click is a point.</li>
<li><b>In the table:</b> type X and Y (with the system's decimal separator) and press
&ldquo;Take values&rdquo;. The first empty X cell ends the table. The table replaces the points
the graph showed before; points clicked in afterwards are added. &ldquo;Clear Table&rdquo;
empties the table. Blocks copied from a spreadsheet can be pasted with Ctrl+V.</li>
<li><b>From a file:</b> &ldquo;File &rarr; Load value table&rdquo;, drop a file onto the
window or name it at start (<code>kalmira measurements.csv</code>). The values then stand in the
table and become points with &ldquo;Take values&rdquo;.</li>
<li>&ldquo;Clear graph&rdquo; forgets all points.</li>
</ul>

<h3>The models</h3>
<p>Every model is fitted by least squares. The column &ldquo;minimises&rdquo; names the sum that
is made as small as possible.</p>
<table border="1" cellspacing="0" cellpadding="3">
<tr><th>Button</th><th>Model</th><th>minimises</th><th>needs</th></tr>
<tr><td>Lin</td><td>y = k&middot;x + d</td><td>&Sigma; (y &minus; k&middot;x &minus; d)&sup2;</td><td>2 points</td></tr>
<tr><td>Parabolic</td><td>y = k0 + k1&middot;x + k2&middot;x&sup2;</td><td>&Sigma; (y &minus; k0 &minus; k1&middot;x &minus; k2&middot;x&sup2;)&sup2;</td><td>3 points</td></tr>
<tr><td>Reciproc</td><td>y = 1/(k0 + k1&middot;x)</td><td>&Sigma; (1/y &minus; k0 &minus; k1&middot;x)&sup2;</td><td>3 points, y &ne; 0</td></tr>
<tr><td>Log</td><td>y = k0 + k1&middot;ln x</td><td>&Sigma; (y &minus; k0 &minus; k1&middot;ln x)&sup2;</td><td>3 points, x &gt; 0</td></tr>
<tr><td>Recip.Log.</td><td>y = 1/(k0 + k1&middot;ln x)</td><td>&Sigma; (1/y &minus; k0 &minus; k1&middot;ln x)&sup2;</td><td>3 points, x &gt; 0, y &gt; 0</td></tr>
<tr><td>Expon.</td><td>y = k0&middot;e<sup>k1&middot;x</sup></td><td>&Sigma; (ln y &minus; ln k0 &minus; k1&middot;x)&sup2;</td><td>3 points, x &gt; 0, y &gt; 0</td></tr>
<tr><td>Polynom</td><td>y = k0 + k1&middot;x + &hellip; + kn&middot;x<sup>n</sup></td><td>&Sigma; (y &minus; p(x))&sup2;</td><td>n + 1 points</td></tr>
<tr><td>Spline</td><td>cubic smoothing spline s(x)</td><td>&int; s&Prime;(x)&sup2; dx, as long as &Sigma; (s(x) &minus; y)&sup2; &le; S</td><td>2 points</td></tr>
</table>
<p>The order of the polynomial (up to 9, at most one less than the number of points) stands in
the field beside &ldquo;Polynom&rdquo;. The <b>goodness of fit</b> is the coefficient of
determination R&sup2; of the regression; for Reciproc, Log, Recip.Log. and Expon. it holds for the
transformed quantities (1/y, ln x, ln y) in which the fit is computed.</p>

<h3>The smoothing of the spline</h3>
<p>The scroll bar beside &ldquo;Spline&rdquo; chooses the smoothing factor f from 0 (far left) to 1
(far right). The allowed residual sum S is f times the residual sum of the straight line: far
left the spline passes through every point, far right it is the straight line.</p>

<h3>Statistics and bands</h3>
<p>&ldquo;View &rarr; Statistics&rdquo; (Ctrl+T) opens a window beside the main window that follows
every fit: each parameter with its standard error, 95 % interval, t and p; the number of points,
the degrees of freedom, the residual sum of squares, the residual standard error, R&sup2; and
adjusted R&sup2;, F with its p value, AIC and BIC; below them the residuals against x.
&ldquo;View &rarr; Show confidence and prediction bands&rdquo; (Ctrl+B) draws, dashed, the 95 %
confidence band around the curve (where the curve itself may lie) and the wider prediction band
(where a new observation may lie); the spline has no bands. Both are computed only while the
window is open or the bands are on.</p>

<h3>The &ldquo;Curve&rdquo; menu</h3>
<p>Power (y = a&middot;x<sup>b</sup>), logistic curve (y = a/(1 + e<sup>&minus;b(x &minus; c)</sup>)),
Gaussian peak (y = a&middot;e<sup>&minus;(x &minus; b)&sup2;/(2c&sup2;)</sup>), saturation (y = a&middot;x/(b + x)),
exponential with offset (y = a&middot;e<sup>b&middot;x</sup> + c) and exponential in y
(y = a&middot;e<sup>b&middot;x</sup>, fitted in y itself, unlike &ldquo;Expon.&rdquo;) minimise
&Sigma; (y &minus; f(x))&sup2; by nonlinear least squares, from starting values they find in the data.
&ldquo;Formula &hellip;&rdquo; takes a model of your own such as y = b1*(1-exp(-b2*x)) with + &minus; * / ^,
parentheses, numbers, x, pi and exp, ln, log10, sqrt, sin, cos, tan, atan, abs; every other name
is a parameter. Starting values (b1 = 500; b2 = 1e-4) are optional, the others start at 1. The
goodness of fit is R&sup2; in y here. A fit that does not converge says why.</p>

<h3>The mouse in the graph</h3>
<ul>
<li>Dragging with the left button held moves the visible section; the next fit draws its curve
over the new section.</li>
<li>The mouse wheel zooms in (forwards) or out (backwards) around the point under the mouse;
dragging a rectangle with the right button held shows exactly that rectangle. A double click with
the right button restores the range of &ldquo;Reset Axis&rdquo;. While &ldquo;Test input&rdquo;
is pressed, every click sets a point, with the right button too.</li>
<li>&ldquo;Reset Axis&rdquo; sets both axes to 0 up to &ldquo;Graph Xmax&rdquo; and &ldquo;Graph
Ymax&rdquo;.</li>
<li>&ldquo;File &rarr; Fit axes to the data&rdquo; (Ctrl+0) shows every point and writes the upper
ends into &ldquo;Graph Xmax&rdquo; and &ldquo;Graph Ymax&rdquo;; so does loading a file, and taking
over values that reach beyond the axes.</li>
</ul>

<h3>Files</h3>
<p>Text files with one pair of values per line are read, separated by a tab, comma, semicolon or
spaces; a first line of column names is allowed, lines starting with <code>#</code> or
<code>;</code> and empty lines are skipped. Where the separator is not a comma, the decimal sign
may be a comma.</p>
<p>CSV with a decimal point:</p>
<pre>x,y
0.5,1.62
1,2.71
2,7.39</pre>
<p>Semicolons with a decimal comma (as from a German spreadsheet):</p>
<pre>x;y
0,5;1,62
1;2,71
2;7,39</pre>
<p>On closing, the window writes its points to the file <code>cfit.asc</code> in the current
directory (six decimals); it can be loaded again too:</p>
<pre>Data exported from QZL TCurveFit
2	;nr. of columns
2	;nr. of rows
FALSE TRUE FALSE	;row attributes, column names, row names
x   y
1.000000	2.500000
-0.250000	3.000000</pre>
<p>Example files lie in the program's <code>examples/</code> folder.</p>

<h3>The command-line program</h3>
<p><code>kalmira-fit</code> computes the same fits without a window, in scripts for example:</p>
<pre>kalmira-fit --model all measurements.csv
kalmira-fit --model poly:5 --at 0.5 --format json measurements.csv</pre>
<p><code>kalmira-fit --help</code> names every model and option.</p>
)");
}
