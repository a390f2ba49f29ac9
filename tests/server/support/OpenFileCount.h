#pragma once
// How many files, sockets and the like this process holds open: descriptors,
// or handles on Windows. A transfer that ends must give back what it took.
int OpenFileCount();
