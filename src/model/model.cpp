#include "model/model.h"

namespace zel {

namespace {
std::function<void(ModelWindow)>& observer() {
    static std::function<void(ModelWindow)> o;
    return o;
}
} // namespace

void SetModelObserver(std::function<void(ModelWindow)> o) {
    observer() = std::move(o);
}
void ModelChanged(ModelWindow w) {
    if (observer()) observer()(w);
}

TprincipalModel Principal;
TNiceSeries* SerieComptageMn = nullptr;
TNiceSeries* SerieComptageSV = nullptr;
TNiceSeries* SerieHisto = nullptr;
TNiceSeries* SerieGauss = nullptr;
TParamGammaModel cg_param_gamma;
TParamVornModel cg_param_vornx;
TConnectionModel cg_Connection;
TPreferenceModel cg_preference;
TAProposModel cg_a_propos;

} // namespace zel
