<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="de">
<context>
    <name>FitFailure</name>
    <message>
        <source>die Iterationsgrenze ist erreicht (%1 Auswertungen)</source>
        <translation>the iteration limit was reached (%1 evaluations)</translation>
    </message>
    <message>
        <source>ohne Wirkung auf das Modell neben den übrigen Parametern: %1 (singuläre Jacobi-Matrix)</source>
        <translation>no effect on the model beside the other parameters: %1 (a singular Jacobian)</translation>
    </message>
    <message>
        <source>das Modell hat an den Startwerten keinen Wert: %1</source>
        <translation>the model has no value at the starting values: %1</translation>
    </message>
    <message>
        <source>das Modell hat an einem Punkt der Suche keine Ableitung: %1</source>
        <translation>the model has no derivative at a point of the search: %1</translation>
    </message>
</context>
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
    <message>
        <source>%1: not enough data points</source>
        <translation>%1: not enough data points</translation>
    </message>
    <message>
        <source>%1: y values must not be zero</source>
        <translation>%1: y values must not be zero</translation>
    </message>
    <message>
        <source>%1: y values must not be negative or zero</source>
        <translation>%1: y values must not be negative or zero</translation>
    </message>
    <message>
        <source>%1: x values must not be negative or zero</source>
        <translation>%1: x values must not be negative or zero</translation>
    </message>
    <message>
        <source>%1: cannot fit function</source>
        <translation>%1: cannot fit function</translation>
    </message>
    <message>
        <source>PenalizedCubicSpline: n1 must not be greater than n2</source>
        <translation>PenalizedCubicSpline: n1 must not be greater than n2</translation>
    </message>
    <message>
        <source>PenalizedCubicSpline: two or more x-values are identical</source>
        <translation>PenalizedCubicSpline: two or more x-values are identical</translation>
    </message>
    <message>
        <source>PenalizedCubicSpline: x-values must be increasing</source>
        <translation>PenalizedCubicSpline: x-values must be increasing</translation>
    </message>
    <message>
        <source>ChooseSplineSmoothingForDf: die Freiheitsgrade müssen von 2 bis zur Zahl der verschiedenen x-Werte reichen</source>
        <translation>ChooseSplineSmoothingForDf: the degrees of freedom must lie from 2 to the number of distinct x</translation>
    </message>
    <message>
        <source>Component &quot;%1&quot;: not enough memory</source>
        <translation>Component &quot;%1&quot;: not enough memory</translation>
    </message>
    <message>
        <source>Component &quot;%1&quot;: not enough memory on heap</source>
        <translation>Component &quot;%1&quot;: not enough memory on heap</translation>
    </message>
    <message>
        <source>AddStatistics: je Punkt wird eine Standardabweichung gebraucht</source>
        <translation>AddStatistics: one standard deviation per point is needed</translation>
    </message>
    <message>
        <source>AddStatistics: die Standardabweichung von Punkt %1 ist keine positive Zahl</source>
        <translation>AddStatistics: the standard deviation of point %1 is not a positive number</translation>
    </message>
    <message>
        <source>AddStatistics: Standardabweichungen von y gelten nur für die Gerade, die Parabel und das Polynom</source>
        <translation>AddStatistics: standard deviations of y apply to the line, the parabola and the polynomial only</translation>
    </message>
    <message>
        <source>AddStatistics: die gewichtete Anpassung ist singulär</source>
        <translation>AddStatistics: the weighted fit is singular</translation>
    </message>
    <message>
        <source>unbekanntes eingebautes Modell &apos;%1&apos;</source>
        <translation>unknown built-in model &apos;%1&apos;</translation>
    </message>
    <message>
        <source>das Modell hat keinen Parameter &apos;%1&apos; (seine Parameter: %2)</source>
        <translation>the model has no parameter &apos;%1&apos; (its parameters: %2)</translation>
    </message>
    <message>
        <source>%1: x und y sind verschieden lang</source>
        <translation>%1: x and y differ in length</translation>
    </message>
    <message>
        <source>%1: keine Startwerte: keine Punkte</source>
        <translation>%1: no starting values: no points</translation>
    </message>
    <message>
        <source>%1: keine Startwerte: nötig sind zwei Punkte mit verschiedenem x &gt; 0 und y eines Vorzeichens</source>
        <translation>%1: no starting values: needs two points with different x &gt; 0 and y of one sign</translation>
    </message>
    <message>
        <source>%1: keine Startwerte: nötig sind zwei Punkte mit verschiedenem x und y eines Vorzeichens</source>
        <translation>%1: no starting values: needs two points with different x and y of one sign</translation>
    </message>
    <message>
        <source>%1: keine Startwerte: nötig sind y, die bei x &gt; 0 von 0 aus steigen</source>
        <translation>%1: no starting values: needs y that rise from 0 at x &gt; 0</translation>
    </message>
    <message>
        <source>%1: keine Startwerte: nötig sind Punkte eines Vorzeichens, die mit x steigen oder fallen</source>
        <translation>%1: no starting values: needs points of one sign that rise or fall with x</translation>
    </message>
    <message>
        <source>%1: keine Startwerte: nötig ist ein Gipfel über Punkten mit verschiedenem x</source>
        <translation>%1: no starting values: needs a peak over points of different x</translation>
    </message>
    <message>
        <source>%1: keine Startwerte: nötig sind Punkte mit verschiedenem x</source>
        <translation>%1: no starting values: needs points of different x</translation>
    </message>
    <message>
        <source>%1: das Modell hat keinen Parameter</source>
        <translation>%1: the model has no parameter</translation>
    </message>
    <message>
        <source>%1: %2 Startwerte erwartet, %3 angegeben</source>
        <translation>%1: %2 starting values expected, %3 given</translation>
    </message>
    <message>
        <source>%1: mehr Punkte als Parameter nötig (%2 Parameter)</source>
        <translation>%1: more points than parameters needed (%2 parameters)</translation>
    </message>
    <message>
        <source>%1: ein Startwert ist keine endliche Zahl</source>
        <translation>%1: a starting value is not finite</translation>
    </message>
    <message>
        <source>%1: Punkt %2 ist keine endliche Zahl</source>
        <translation>%1: point %2 is not finite</translation>
    </message>
    <message>
        <source>TFormula: %1 Parameterwerte erwartet, %2 angegeben</source>
        <translation>TFormula: %1 parameter values expected, %2 given</translation>
    </message>
    <message>
        <source>TFormula: ein Parameterwert ist keine endliche Zahl</source>
        <translation>TFormula: a parameter value is not finite</translation>
    </message>
    <message>
        <source>TFormula: x von Punkt %1 ist keine endliche Zahl</source>
        <translation>TFormula: x of point %1 is not finite</translation>
    </message>
    <message>
        <source>TFormula.Evaluate: die Felder der Werte und der Jacobi-Matrix passen nicht zu den Punkten</source>
        <translation>TFormula.Evaluate: the value and Jacobian spans do not match the points</translation>
    </message>
    <message>
        <source>TFormula.Evaluate: das Feld der Werte passt nicht zu den Punkten</source>
        <translation>TFormula.Evaluate: the value span does not match the points</translation>
    </message>
    <message>
        <source>erwartet wird eine Zahl, ein Name oder &apos;(&apos;</source>
        <translation>expected a number, a name or &apos;(&apos;</translation>
    </message>
    <message>
        <source>erwartet wird ein Operator oder das Ende der Formel</source>
        <translation>expected an operator or the end of the formula</translation>
    </message>
    <message>
        <source>erwartet wird ein Operator oder &apos;)&apos;</source>
        <translation>expected an operator or &apos;)&apos;</translation>
    </message>
    <message>
        <source>erwartet wird &apos;(&apos; nach %1</source>
        <translation>expected &apos;(&apos; after %1</translation>
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
        <source>unbekannte Funktion &apos;%1&apos; (die Funktionen sind exp, ln, log10, sqrt, sin, cos, tan, atan, abs)</source>
        <translation>unknown function &apos;%1&apos; (the functions are exp, ln, log10, sqrt, sin, cos, tan, atan, abs)</translation>
    </message>
    <message>
        <source>y darf rechts vom &apos;=&apos; nicht stehen</source>
        <translation>y must not appear right of the &apos;=&apos;</translation>
    </message>
    <message>
        <source>tiefer als %1 Ebenen geschachtelt</source>
        <translation>nested more than %1 levels deep</translation>
    </message>
    <message>
        <source>%1 von %2, einer Zahl &lt;= 0</source>
        <translation>%1 of %2, a number &lt;= 0</translation>
    </message>
    <message>
        <source>sqrt von %1, einer negativen Zahl</source>
        <translation>sqrt of %1, a negative number</translation>
    </message>
    <message>
        <source>Division durch 0</source>
        <translation>division by 0</translation>
    </message>
    <message>
        <source>Potenz von %1, einer negativen Basis, mit einem Exponenten, der keine ganze Zahl ist</source>
        <translation>power of %1, a negative base, to an exponent that is no whole number</translation>
    </message>
    <message>
        <source>0 hoch %1</source>
        <translation>0 to the power %1</translation>
    </message>
    <message>
        <source>die Ableitung von %1 ist dort unendlich</source>
        <translation>the derivative of %1 is infinite there</translation>
    </message>
    <message>
        <source>ein Wert jenseits des Bereichs von double</source>
        <translation>a value beyond the range of double</translation>
    </message>
    <message>
        <source>Logarithmic axis must not be negative.</source>
        <translation>Logarithmic axis must not be negative.</translation>
    </message>
    <message>
        <source>Destination layer %1 is out of range</source>
        <translation>Destination layer %1 is out of range</translation>
    </message>
    <message>
        <source>Destination layer %1 is already joined</source>
        <translation>Destination layer %1 is already joined</translation>
    </message>
    <message>
        <source>Layer %1 is joined by other layers (%2)</source>
        <translation>Layer %1 is joined by other layers (%2)</translation>
    </message>
    <message>
        <source>Position %1: %2</source>
        <translation>position %1: %2</translation>
    </message>
    <message>
        <source>%1, bei Punkt %2 (x = %3)</source>
        <translation>%1, at point %2 (x = %3)</translation>
    </message>
</context>
<context>
    <name>ResultClipboard</name>
    <message>
        <source>Polynom %1. Ordnung</source>
        <translation>Polynomial of order %1</translation>
    </message>
    <message>
        <source>Gerade</source>
        <translation>Straight line</translation>
    </message>
    <message>
        <source>Parabel</source>
        <translation>Parabola</translation>
    </message>
    <message>
        <source>Reziproke Gerade</source>
        <translation>Reciprocal line</translation>
    </message>
    <message>
        <source>Logarithmisch</source>
        <translation>Logarithmic</translation>
    </message>
    <message>
        <source>Reziprok-logarithmisch</source>
        <translation>Reciprocal logarithmic</translation>
    </message>
    <message>
        <source>Exponentiell</source>
        <translation>Exponential</translation>
    </message>
    <message>
        <source>Glättungsspline</source>
        <translation>Smoothing spline</translation>
    </message>
    <message>
        <source>Formel</source>
        <translation>Formula</translation>
    </message>
    <message>
        <source>Modell</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>Glättungsfaktor</source>
        <translation>Smoothing factor</translation>
    </message>
    <message>
        <source>Anpassungsgrad</source>
        <translation>Goodness of fit</translation>
    </message>
    <message>
        <source>Punkte</source>
        <translation>Points</translation>
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
