#include <cstdio>
int main() { std::puts("ovolta-panel: not built yet"); return 0; }
