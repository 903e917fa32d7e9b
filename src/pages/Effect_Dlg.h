#pragma once
// The effect page: the editors of the two echo engines and the reverb. It holds the response graph
// and the three selector buttons (EchoA, EchoB, Reverb); the echo page (both echoes) and the reverb
// page sit inside it beside the buttons, one of them visible, as EffectSide says.
#include "pages/ControlIndex.h"
#include "pages/LazyPageDlg.h"
#include "pages/PageHost.h"
#include "platform/DialogTemplate.h"

namespace pavo {

class CFStatic;
class Echo_Dlg;
class Rev_Dlg;

class Effect_Dlg : public LazyPageDlg {
    Q_OBJECT
public:
    enum {
        IDD = 146,
        IDC_ECHO_A = 1064,
        IDC_ECHO_B = 1065,
        IDC_REVERB = 1066,
        IDC_GRAPH = 1297,
    };

    explicit Effect_Dlg(PageHost& host, QWidget* parent = nullptr);

    void ApplyLanguage() override;
    void RefreshFromModel() override;

    static const DialogTemplate& Template();

    CFStatic* Graph() const { return graph_; }
    Echo_Dlg* EchoPage() const { return echo_; }
    Rev_Dlg* ReverbPage() const { return reverb_; }

protected:
    void BuildControls() override;

private:
    void SelectEffect(int side);

    PageHost& host_;
    CFStatic* graph_ = nullptr;
    Echo_Dlg* echo_ = nullptr;
    Rev_Dlg* reverb_ = nullptr;

    template <class T = QWidget>
    T* Item(int id) const {
        return items_.As<T>(id);
    }
    ControlIndex items_;
};

}  // namespace pavo
