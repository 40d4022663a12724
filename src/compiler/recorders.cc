#include "compiler/recorders.h"

namespace scenario {

int32_t memo_montagna(stato_compilazione&, int32_t, int32_t, int32_t) { return 0; }
int32_t memo_rallentamento(stato_compilazione&, int32_t, int32_t, int32_t, int32_t, int32_t,
                           int32_t) {
  return 0;
}
int32_t memo_segnale(stato_compilazione&, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                     int32_t, int32_t, int32_t, int32_t, int32_t) {
  return 0;
}
int32_t memo_indicatori_v_max(stato_compilazione&, int32_t, int32_t, int32_t, int32_t, int32_t,
                              int32_t, int32_t, int32_t, int32_t) {
  return 0;
}

}  // namespace scenario
