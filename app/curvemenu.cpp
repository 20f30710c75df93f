// The "Kurve" menu: the built-in nonlinear models and "Formel ...", the user's own model. Their
// fits go the way of every fit command (curve, quality, formula and parameter line); a fit that
// does not converge ends the command with its reason in the error box.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <iterator>

#include "app/errorbox.h"
#include "app/formuladialog.h"
#include "app/frmmain.h"
#include "app/speedbutton.h"
#include "curvefit/builtinmodels.h"

namespace {

// The menu's captions of the built-ins, in the order of BuiltinModels().
const char* const kBuiltinCaptions[] = {
    QT_TRANSLATE_NOOP("TFrmMain", "&Potenz"),
    QT_TRANSLATE_NOOP("TFrmMain", "&Logistisch"),
    QT_TRANSLATE_NOOP("TFrmMain", "&Gauß-Glocke"),
    QT_TRANSLATE_NOOP("TFrmMain", "&Sättigung"),
    QT_TRANSLATE_NOOP("TFrmMain", "&Exponentiell mit Versatz"),
    QT_TRANSLATE_NOOP("TFrmMain", "Exponentiell &in y"),
};
static_assert(std::size(kBuiltinCaptions) == 6);

}  // namespace

void TFrmMain::CreateCurveMenu()
{
    Kurve1 = new QMenu(this);
    menuBar()->insertMenu(Hilfe1, Kurve1);
    for (const TBuiltinModel& builtin : BuiltinModels()) {
        QAction* action = Kurve1->addAction(QString());
        TModel model;
        model.Kind = mkNonlinear;
        model.Builtin = builtin.Name;
        connect(action, &QAction::triggered, this, [this, model] { RunHandler([this, &model] { KurveClick(model); }); });
        KurveModelle.push_back(action);
    }
    Kurve1->addSeparator();
    Formel1 = Kurve1->addAction(QString());
    connect(Formel1, &QAction::triggered, this, [this] { RunHandler([this] { Formel1Click(); }); });
}

void TFrmMain::RetranslateCurveMenu()
{
    Kurve1->setTitle(tr("&Kurve"));
    const auto builtins = BuiltinModels();
    for (std::size_t i = 0; i < KurveModelle.size(); ++i)
        KurveModelle[i]->setText(tr(kBuiltinCaptions[i]) + "\t" + QString::fromUtf8(builtins[i].Formula));
    Formel1->setText(tr("&Formel …"));
}

void TFrmMain::KurveClick(const TModel& model)
{
    DisableOptionWidgets();
    StripCurveItems();
    SBNewPnts->SetDown(false);
    FitAndDraw(model);
}

void TFrmMain::Formel1Click()
{
    if (!FormelDialog) FormelDialog = new TFormulaDialog(this);
    FormelDialog->Check();
    if (FormelDialog->exec() != QDialog::Accepted) return;
    KurveClick(FormelDialog->Model());
}
