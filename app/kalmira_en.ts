<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="de">
<context>
    <name>FitReport</name>
    <message>
        <source>Residuenquadratsumme</source>
        <translation>Residual sum of squares</translation>
    </message>
    <message>
        <source>Äquivalente Freiheitsgrade</source>
        <translation>Equivalent degrees of freedom</translation>
    </message>
    <message>
        <source>GCV</source>
        <translation>GCV</translation>
    </message>
    <message>
        <source>Freiheitsgrade</source>
        <translation>Degrees of freedom</translation>
    </message>
    <message>
        <source>Reststandardfehler</source>
        <translation>Residual standard error</translation>
    </message>
    <message>
        <source>Korrigiertes R²</source>
        <translation>Adjusted R²</translation>
    </message>
    <message>
        <source>F</source>
        <translation>F</translation>
    </message>
    <message>
        <source>p-Wert von F</source>
        <translation>p value of F</translation>
    </message>
    <message>
        <source>AIC</source>
        <translation>AIC</translation>
    </message>
    <message>
        <source>BIC</source>
        <translation>BIC</translation>
    </message>
    <message>
        <source>Punkte</source>
        <translation>Points</translation>
    </message>
    <message>
        <source>Anpassungsgrad</source>
        <translation>Goodness of fit</translation>
    </message>
</context>
<context>
    <name>Message</name>
    <message>
        <source>Gleitkommadivision durch Null</source>
        <translation>Floating point division by zero</translation>
    </message>
    <message>
        <source>Ungültige Gleitkommaoperation</source>
        <translation>Invalid floating point operation</translation>
    </message>
    <message>
        <source>Gleitkommaüberlauf</source>
        <translation>Floating point overflow</translation>
    </message>
    <message>
        <source>&apos;%1&apos; ist kein gültiger Gleitkommawert</source>
        <translation>&apos;%1&apos; is not a valid floating point value</translation>
    </message>
    <message>
        <source>Datei nicht gefunden</source>
        <translation>File not found</translation>
    </message>
    <message>
        <source>Pfad nicht gefunden</source>
        <translation>Path not found</translation>
    </message>
    <message>
        <source>Zu viele geöffnete Dateien</source>
        <translation>Too many open files</translation>
    </message>
    <message>
        <source>Dateizugriff verweigert</source>
        <translation>File access denied</translation>
    </message>
    <message>
        <source>Ungültiges Dateihandle</source>
        <translation>Invalid file handle</translation>
    </message>
    <message>
        <source>Zu wenig Speicherplatz</source>
        <translation>Not enough disk space</translation>
    </message>
    <message>
        <source>E/A-Fehler %1</source>
        <translation>I/O error %1</translation>
    </message>
    <message>
        <source>Unbekannter Fehler</source>
        <translation>Unknown error</translation>
    </message>
</context>
<context>
    <name>TFormHilfe</name>
    <message>
        <source>Kalmira
Univariante Regression</source>
        <translation>Kalmira
Univariate Regression</translation>
    </message>
    <message>
        <source>Version 0.5

Modelle:
Gerade, Parabel, reziproke Gerade,
Logarithmus, reziproker Logarithmus,
Exponentialfunktion, Polynom bis zur
9. Ordnung und Glättungsspline.

Punkte per Mausklick (Test-Eingabe)
oder über die Wertetabelle eingeben.

Beim Beenden werden die Punkte
in die Datei cfit.asc geschrieben.</source>
        <translation>Version 0.5

Models:
line, parabola, reciprocal line,
logarithm, reciprocal logarithm,
exponential function, polynomial up to
order 9 and smoothing spline.

Enter points by mouse click (Test input)
or through the value table.

On quitting, the points are written
to the file cfit.asc.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>TFormulaDialog</name>
    <message>
        <source>erwartet wird eine Zahl, ein Name oder &apos;(&apos;</source>
        <translation>expected a number, a name or &apos;(&apos;</translation>
    </message>
    <message>
        <source>erwartet wird ein Operator oder das Ende der Formel</source>
        <translation>expected an operator or the end of the formula</translation>
    </message>
    <message>
        <source>erwartet wird &apos;)&apos;</source>
        <translation>expected &apos;)&apos;</translation>
    </message>
    <message>
        <source>erwartet wird &apos;(&apos; nach dem Funktionsnamen</source>
        <translation>expected &apos;(&apos; after the function name</translation>
    </message>
    <message>
        <source>erwartet werden die Ziffern des Exponenten</source>
        <translation>expected the digits of the exponent</translation>
    </message>
    <message>
        <source>erwartet wird &apos;=&apos; nach y</source>
        <translation>expected &apos;=&apos; after y</translation>
    </message>
    <message>
        <source>unbekannte Funktion &apos;%1&apos;</source>
        <translation>unknown function &apos;%1&apos;</translation>
    </message>
    <message>
        <source>y darf rechts vom &apos;=&apos; nicht stehen</source>
        <translation>y must not appear right of the &apos;=&apos;</translation>
    </message>
    <message>
        <source>zu tief geschachtelt</source>
        <translation>nested too deeply</translation>
    </message>
    <message>
        <source>die Formel hat hier keinen Wert</source>
        <translation>the formula has no value here</translation>
    </message>
    <message>
        <source>Position %1: %2</source>
        <translation>position %1: %2</translation>
    </message>
    <message>
        <source>Formel</source>
        <translation>Formula</translation>
    </message>
    <message>
        <source>&amp;Formel:</source>
        <translation>&amp;Formula:</translation>
    </message>
    <message>
        <source>&amp;Startwerte:</source>
        <translation>&amp;Starting values:</translation>
    </message>
    <message>
        <source>zum Beispiel b1 = 500; b2 = 1e-4 (sonst 1)</source>
        <translation>for example b1 = 500; b2 = 1e-4 (otherwise 1)</translation>
    </message>
    <message>
        <source>&amp;Anpassen</source>
        <translation>&amp;Fit</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Die Formel hat keinen Parameter.</source>
        <translation>The formula has no parameter.</translation>
    </message>
    <message>
        <source>Parameter: %1</source>
        <translation>Parameters: %1</translation>
    </message>
    <message>
        <source>Startwert &apos;%1&apos;: erwartet wird Name = Zahl</source>
        <translation>Starting value &apos;%1&apos;: expected name = number</translation>
    </message>
    <message>
        <source>Die Formel hat keinen Parameter &apos;%1&apos;.</source>
        <translation>The formula has no parameter &apos;%1&apos;.</translation>
    </message>
</context>
<context>
    <name>TFrmMain</name>
    <message>
        <source>Tabelle ist leer</source>
        <translation>The table is empty</translation>
    </message>
    <message>
        <source>Zeile %1 hat keinen X-Wert: die Werte ab Zeile %2 wurden nicht übernommen</source>
        <translation>Row %1 has no X value: the values from row %2 on were not taken</translation>
    </message>
    <message>
        <source>      Kalmira    -    Univariante Regression</source>
        <translation>      Kalmira    -    Univariate Regression</translation>
    </message>
    <message>
        <source>&amp;Datei</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Ergebnis an Clipboard</source>
        <translation>&amp;Copy result to clipboard</translation>
    </message>
    <message>
        <source>Werte-Tabelle &amp;speichern</source>
        <translation>&amp;Save value table</translation>
    </message>
    <message>
        <source>Werte-Tabelle &amp;laden</source>
        <translation>&amp;Load value table</translation>
    </message>
    <message>
        <source>E&amp;nde</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>&amp;Hilfe</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>&amp;Info</source>
        <translation>&amp;Info</translation>
    </message>
    <message>
        <source>&amp;Test-Eingabe</source>
        <translation>&amp;Test input</translation>
    </message>
    <message>
        <source>&amp;Grafik Clear</source>
        <translation>Clear &amp;graph</translation>
    </message>
    <message>
        <source>Anpassungsgrad:  </source>
        <translation>Goodness of fit:  </translation>
    </message>
    <message>
        <source>Wertetabelle (man&amp;uelle Eingabe)</source>
        <translation>Value table (man&amp;ual input)</translation>
    </message>
    <message>
        <source>&amp;Werte übernehmen</source>
        <translation>Take &amp;values</translation>
    </message>
    <message>
        <source>Sp&amp;rache (Language)</source>
        <translation>Lang&amp;uage</translation>
    </message>
    <message>
        <source>Die x-Werte liegen zu dicht beieinander, um jeden Koeffizienten zu bestimmen; gezeigt wird die Lösung mit der kleinsten Norm</source>
        <translation>The x values lie too close together to determine every coefficient; the solution of the smallest norm is shown</translation>
    </message>
    <message>
        <source>nur 1 verschiedener x-Wert</source>
        <translation>only 1 distinct x value</translation>
    </message>
    <message>
        <source>nur %1 verschiedene x-Werte</source>
        <translation>only %1 distinct x values</translation>
    </message>
    <message>
        <source>k%1 ist durch die Daten nicht bestimmt (%2); gezeigt wird die Lösung mit der kleinsten Norm</source>
        <translation>k%1 is not determined by the data (%2); the solution of the smallest norm is shown</translation>
    </message>
    <message>
        <source>k%1 bis k%2 sind durch die Daten nicht bestimmt (%3); gezeigt wird die Lösung mit der kleinsten Norm</source>
        <translation>k%1 to k%2 are not determined by the data (%3); the solution of the smallest norm is shown</translation>
    </message>
    <message>
        <source>Noch kein Ergebnis: erst Punkte eingeben und eine Kurve anpassen</source>
        <translation>No result yet: enter points and fit a curve first</translation>
    </message>
    <message>
        <source>&amp;Grafik speichern</source>
        <translation>Save &amp;graph</translation>
    </message>
    <message>
        <source>&amp;Achsen an Daten anpassen</source>
        <translation>Fit &amp;axes to the data</translation>
    </message>
    <message>
        <source>&amp;Kurve</source>
        <translation>Cur&amp;ve</translation>
    </message>
    <message>
        <source>&amp;Potenz</source>
        <translation>&amp;Power</translation>
    </message>
    <message>
        <source>&amp;Logistisch</source>
        <translation>&amp;Logistic</translation>
    </message>
    <message>
        <source>&amp;Gauß-Glocke</source>
        <translation>&amp;Gaussian peak</translation>
    </message>
    <message>
        <source>&amp;Sättigung</source>
        <translation>&amp;Saturation</translation>
    </message>
    <message>
        <source>&amp;Exponentiell mit Versatz</source>
        <translation>&amp;Exponential with offset</translation>
    </message>
    <message>
        <source>Exponentiell &amp;in y</source>
        <translation>Exponential &amp;in y</translation>
    </message>
    <message>
        <source>&amp;Formel …</source>
        <translation>&amp;Formula …</translation>
    </message>
    <message>
        <source>Die Anpassung ist nicht konvergiert: %1</source>
        <translation>The fit did not converge: %1</translation>
    </message>
    <message>
        <source>An&amp;zeige</source>
        <translation>Vie&amp;w</translation>
    </message>
    <message>
        <source>&amp;Statistik</source>
        <translation>&amp;Statistics</translation>
    </message>
    <message>
        <source>&amp;Konfidenz- und Prognoseband zeigen</source>
        <translation>Show &amp;confidence and prediction bands</translation>
    </message>
</context>
<context>
    <name>TStatisticsWindow</name>
    <message>
        <source>Zentrierte Form: %1</source>
        <translation>Centred form: %1</translation>
    </message>
    <message>
        <source>Die Koeffizienten k0 bis k%1 heben sich bei diesen x beim Summieren in doppelter Genauigkeit auf; Werte daher aus der zentrierten Form berechnen.</source>
        <translation>The coefficients k0 to k%1 cancel at these x when summed in double precision; compute values from the centred form.</translation>
    </message>
    <message>
        <source>Parameter</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>Wert</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>Standardfehler</source>
        <translation>Std. error</translation>
    </message>
    <message>
        <source>95 %-Intervall von</source>
        <translation>95 % interval from</translation>
    </message>
    <message>
        <source>bis</source>
        <translation>to</translation>
    </message>
    <message>
        <source>t</source>
        <translation>t</translation>
    </message>
    <message>
        <source>p</source>
        <translation>p</translation>
    </message>
    <message>
        <source>Kalmira - Statistik</source>
        <translation>Kalmira - Statistics</translation>
    </message>
    <message>
        <source>Keine Anpassung gezeigt</source>
        <translation>No fit shown</translation>
    </message>
    <message>
        <source>Erst Punkte eingeben und eine Kurve anpassen; dieses Fenster folgt jeder Anpassung.</source>
        <translation>Enter points and fit a curve first; this window follows every fit.</translation>
    </message>
    <message>
        <source>Glättungsspline, Glättungsfaktor %1</source>
        <translation>Smoothing spline, smoothing factor %1</translation>
    </message>
    <message>
        <source>Regression von %1 auf %2: Anpassungsgrad, Statistik und Residuen gelten für %1.</source>
        <translation>Regression of %1 on %2: goodness of fit, statistics and residuals are those of %1.</translation>
    </message>
    <message>
        <source>Die Punkte haben sich seit dieser Anpassung geändert; Standardfehler und Statistik zeigt die nächste Anpassung.</source>
        <translation>The points have changed since this fit; the next fit shows standard errors and statistics.</translation>
    </message>
    <message>
        <source>Der Glättungsspline hat keine Parameter mit Standardfehlern.</source>
        <translation>The smoothing spline has no parameters with standard errors.</translation>
    </message>
    <message>
        <source>Die Daten bestimmen nicht jeden Koeffizienten: ohne Standardfehler.</source>
        <translation>The data do not determine every coefficient: no standard errors.</translation>
    </message>
    <message>
        <source>Keine Freiheitsgrade übrig (nicht mehr Punkte als Koeffizienten): ohne Standardfehler.</source>
        <translation>No degrees of freedom left (no more points than coefficients): no standard errors.</translation>
    </message>
    <message>
        <source>Die Standardfehler lassen sich für diese Daten nicht berechnen.</source>
        <translation>The standard errors cannot be computed for these data.</translation>
    </message>
    <message>
        <source>Residuen in %1 gegen x</source>
        <translation>Residuals in %1 against x</translation>
    </message>
    <message>
        <source>Keine Residuen zu zeigen</source>
        <translation>No residuals to show</translation>
    </message>
</context>
<context>
    <name>TableFiles</name>
    <message>
        <source>Zeilen mit fehlenden Werten (leer oder NA) überspringen</source>
        <translation>Skip rows with missing values (empty or NA)</translation>
    </message>
    <message>
        <source>Tabellen (*.csv *.tsv *.txt *.dat *.asc)</source>
        <translation>Tables (*.csv *.tsv *.txt *.dat *.asc)</translation>
    </message>
    <message>
        <source>Alle Dateien (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>CSV-Tabelle (*.csv)</source>
        <translation>CSV table (*.csv)</translation>
    </message>
    <message>
        <source>Datendatei (*.asc)</source>
        <translation>Data file (*.asc)</translation>
    </message>
    <message>
        <source>Text mit Tabulatoren (*.txt)</source>
        <translation>Tab-separated text (*.txt)</translation>
    </message>
    <message>
        <source>„%1“</source>
        <translation>“%1”</translation>
    </message>
    <message>
        <source>Datei %1, Zeile %2</source>
        <translation>File %1, line %2</translation>
    </message>
    <message>
        <source>, Spalte %1</source>
        <translation>, column %1</translation>
    </message>
    <message>
        <source>Die Datei %1 lässt sich nicht öffnen: %2</source>
        <translation>The file %1 cannot be opened: %2</translation>
    </message>
    <message>
        <source>Die Datei %1 lässt sich nicht lesen: %2</source>
        <translation>The file %1 cannot be read: %2</translation>
    </message>
    <message>
        <source>%1: ein NUL-Byte; die Datei ist keine Textdatei</source>
        <translation>%1: a NUL byte; the file is not a text file</translation>
    </message>
    <message>
        <source>%1: Bytes, die kein UTF-8-Text sind</source>
        <translation>%1: bytes that are not UTF-8 text</translation>
    </message>
    <message>
        <source>%1: die Zeile ist länger als %2 Bytes</source>
        <translation>%1: the line is longer than %2 bytes</translation>
    </message>
    <message>
        <source>Die Datei %1 enthält keine Zeile mit Zahlen</source>
        <translation>The file %1 holds no line of numbers</translation>
    </message>
    <message>
        <source>%1: hier fehlt ein Wert (gefunden: %2)</source>
        <translation>%1: a value is missing here (found: %2)</translation>
    </message>
    <message>
        <source>%1: mehr als zwei Werte in der Zeile (gefunden: %2)</source>
        <translation>%1: more than two values in the line (found: %2)</translation>
    </message>
    <message>
        <source>%1: %2 ist keine Zahl</source>
        <translation>%1: %2 is not a number</translation>
    </message>
    <message>
        <source>%1: %2 liegt außerhalb des Zahlenbereichs</source>
        <translation>%1: %2 is out of the range of numbers</translation>
    </message>
    <message>
        <source>%1: der Kopf der Datendatei beschreibt keine Zahlentabelle (gefunden: %2)</source>
        <translation>%1: the data file&apos;s header describes no table of numbers (found: %2)</translation>
    </message>
    <message>
        <source>Das Lesen der Datei %1 wurde abgebrochen</source>
        <translation>Reading the file %1 was cancelled</translation>
    </message>
    <message>
        <source>Die Datei %1 nennt in ihrem Kopf %2 Zeilen, enthält aber %3</source>
        <translation>The file %1 declares %2 rows in its header but holds %3</translation>
    </message>
    <message>
        <source>. Spalten im Kopf: %1</source>
        <translation>. Columns in the header: %1</translation>
    </message>
    <message>
        <source>. Werte der Zeile: %1</source>
        <translation>. Values of the line: %1</translation>
    </message>
    <message>
        <source>Tabelle wird gelesen …</source>
        <translation>Reading the table …</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Werte-Tabelle laden</source>
        <translation>Load value table</translation>
    </message>
    <message>
        <source>Die Datei „%1“ wurde nicht gespeichert: %2</source>
        <translation>The file “%1” was not saved: %2</translation>
    </message>
    <message>
        <source>Übersprungen wegen fehlender Werte: %1 Zeile(n), die erste ist Zeile %2</source>
        <translation>Skipped for missing values: %1 row(s), the first is line %2</translation>
    </message>
    <message>
        <source>Werte-Tabelle speichern</source>
        <translation>Save value table</translation>
    </message>
    <message>
        <source>Das Bild „%1“ wurde nicht gespeichert: %2</source>
        <translation>The picture “%1” was not saved: %2</translation>
    </message>
    <message>
        <source>PNG-Bild (*.png)</source>
        <translation>PNG picture (*.png)</translation>
    </message>
    <message>
        <source>PNG-Bild, doppelte Größe (*.png)</source>
        <translation>PNG picture, twice the size (*.png)</translation>
    </message>
    <message>
        <source>PNG-Bild, dreifache Größe (*.png)</source>
        <translation>PNG picture, three times the size (*.png)</translation>
    </message>
    <message>
        <source>SVG-Grafik (*.svg)</source>
        <translation>SVG graphic (*.svg)</translation>
    </message>
    <message>
        <source>Grafik speichern</source>
        <translation>Save graph</translation>
    </message>
</context>
</TS>
