// Placeholder until the data pictures are drawn here.
int main() { return 0; }
