/* A small program whose only use is to be signed, tampered with and left
   unsigned for the Authenticode tests. */
int main(void) { return 0; }
