#include <cstdio>
int main() { std::puts("ovolta-sim: not built yet"); return 0; }
