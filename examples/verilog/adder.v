// Four-bit adder: SW[3:0] + SW[7:4] on the red LEDs (carry on LEDR[4]) and as a hexadecimal
// digit pair on HEX1 HEX0; SW[8] is the carry in.
module adder(
    input  [8:0] SW,
    output [4:0] LEDR,
    output [6:0] HEX0,
    output [6:0] HEX1
);
    wire [4:0] sum = SW[3:0] + SW[7:4] + SW[8];

    assign LEDR = sum;
    hex_digit low(.value(sum[3:0]), .segments(HEX0));
    hex_digit high(.value({3'b000, sum[4]}), .segments(HEX1));
endmodule

// Segments a..g in bits 0..6, 0 = lit.
module hex_digit(input [3:0] value, output reg [6:0] segments);
    always @* begin
        case (value)
            4'h0: segments = 7'b1000000;
            4'h1: segments = 7'b1111001;
            4'h2: segments = 7'b0100100;
            4'h3: segments = 7'b0110000;
            4'h4: segments = 7'b0011001;
            4'h5: segments = 7'b0010010;
            4'h6: segments = 7'b0000010;
            4'h7: segments = 7'b1111000;
            4'h8: segments = 7'b0000000;
            4'h9: segments = 7'b0010000;
            4'hA: segments = 7'b0001000;
            4'hB: segments = 7'b0000011;
            4'hC: segments = 7'b1000110;
            4'hD: segments = 7'b0100001;
            4'hE: segments = 7'b0000110;
            default: segments = 7'b0001110;
        endcase
    end
endmodule
